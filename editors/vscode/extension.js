// SPDX-License-Identifier: MIT
// Starts `reuseblocks lsp` for every reuse blocks file the editor opens.
'use strict';
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

function activate() {
  const settings = vscode.workspace.getConfiguration('reuseblocks');
  const command = settings.get('server.path') || 'reuseblocks';
  client = new LanguageClient(
    'reuseblocks',
    'Reuse blocks language server',
    { command, args: ['lsp'] },
    {
      documentSelector: [{ language: 'reuseblocks' }],
      initializationOptions: { inlayHints: settings.get('inlayHints.enabled') },
    });
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
