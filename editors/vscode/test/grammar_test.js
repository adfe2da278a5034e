// SPDX-License-Identifier: MIT
// Tokenizes each sample with the grammar, as VS Code does, and compares the scopes with the
// golden file beside it. UPDATE_GOLDEN=1 rewrites the golden files instead.
'use strict';
const fs = require('fs');
const path = require('path');
const textmate = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

const here = __dirname;
const grammarPath = path.join(here, '..', 'syntaxes', 'reuseblocks.tmLanguage.json');
const samples = [
  [path.join(here, '..', '..', '..', 'examples', 'board.blocks'), 'board.tokens'],
  [path.join(here, 'crafted.blocks'), 'crafted.tokens'],
];

async function loadGrammar() {
  const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  const registry = new textmate.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (text) => new oniguruma.OnigString(text),
    }),
    loadGrammar: async (scopeName) => scopeName === 'source.reuseblocks'
      ? textmate.parseRawGrammar(fs.readFileSync(grammarPath, 'utf8'), grammarPath)
      : null,
  });
  return registry.loadGrammar('source.reuseblocks');
}

// One line per token: its text in JSON quotes, then its scopes without the file's own.
function describe(grammar, text) {
  const out = [];
  let state = textmate.INITIAL;
  for (const line of text.split(/\r?\n/)) {
    const result = grammar.tokenizeLine(line, state);
    for (const token of result.tokens) {
      const piece = line.substring(token.startIndex, token.endIndex);
      const scopes = token.scopes.filter((scope) => scope !== 'source.reuseblocks');
      if (piece.trim() === '' && scopes.length === 0) continue;
      out.push(`${JSON.stringify(piece)} ${scopes.join(' ')}`.trimEnd());
    }
    out.push('');
    state = result.ruleStack;
  }
  return out.join('\n');
}

(async () => {
  const grammar = await loadGrammar();
  let failed = 0;
  for (const [sample, goldenName] of samples) {
    const golden = path.join(here, goldenName);
    const actual = describe(grammar, fs.readFileSync(sample, 'utf8'));
    if (process.env.UPDATE_GOLDEN) {
      fs.writeFileSync(golden, actual);
      continue;
    }
    const expected = fs.readFileSync(golden, 'utf8');
    if (actual !== expected) {
      const a = actual.split('\n');
      const e = expected.split('\n');
      const at = a.findIndex((line, i) => line !== e[i]);
      console.error(`${goldenName}: token line ${at + 1} differs\n  expected: ${e[at]}\n  actual:   ${a[at]}`);
      failed++;
    }
  }
  if (failed) process.exit(1);
  console.log(`grammar: ${samples.length} samples tokenize as their golden files say`);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
