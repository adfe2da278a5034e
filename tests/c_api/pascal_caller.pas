{ SPDX-License-Identifier: MIT }
{ A Pascal host of the C interface, in Delphi mode; prints what the C caller prints.
  Usage: pascal_caller LIBRARY BOARD REJECTED WORK_DIR (linked against the library by name). }
program pascal_caller;

{$mode delphi}
{$H+}

uses
  SysUtils;

const
  Lib = 'reuseblocks';
  RB_OK = 0;

type
  TStatus = LongInt;
  PPointer = ^Pointer;

function rb_status_name(status: TStatus): PAnsiChar; cdecl; external Lib;
function rb_version_number: LongWord; cdecl; external Lib;
function rb_collection_new: Pointer; cdecl; external Lib;
procedure rb_collection_free(collection: Pointer); cdecl; external Lib;
function rb_collection_load(collection: Pointer; path: PAnsiChar; report: PPointer): TStatus; cdecl; external Lib;
function rb_collection_write(collection: Pointer; path, app: PAnsiChar; report: PPointer): TStatus; cdecl; external Lib;
function rb_collection_count(collection: Pointer): NativeUInt; cdecl; external Lib;
function rb_collection_start(collection: Pointer): Pointer; cdecl; external Lib;
function rb_collection_next(collection: Pointer; var position: Pointer): Pointer; cdecl; external Lib;
function rb_collection_find(collection: Pointer; id: PAnsiChar; out block: Pointer): TStatus; cdecl; external Lib;
function rb_collection_add(collection: Pointer; id: PAnsiChar; block: PPointer): TStatus; cdecl; external Lib;
function rb_collection_rename(collection: Pointer; oldId, newId: PAnsiChar): TStatus; cdecl; external Lib;
function rb_collection_block_key(collection, block: Pointer; buffer: PAnsiChar; size: NativeUInt;
  out length: NativeUInt): TStatus; cdecl; external Lib;
function rb_collection_check_round_trip(collection: Pointer; out problems: NativeUInt;
  report: PPointer): TStatus; cdecl; external Lib;
function rb_block_get_property(block: Pointer; index: LongWord; out text: PAnsiChar;
  out length: NativeUInt): TStatus; cdecl; external Lib;
function rb_block_set_property(block: Pointer; index: LongWord; text: PAnsiChar): TStatus; cdecl; external Lib;
function rb_block_get_property_by_name(block: Pointer; name: PAnsiChar; out text: PAnsiChar;
  out length: NativeUInt): TStatus; cdecl; external Lib;
function rb_block_set_property_by_name(block: Pointer; name, text: PAnsiChar): TStatus; cdecl; external Lib;
function rb_block_layer_map_count(block: Pointer): LongWord; cdecl; external Lib;
function rb_block_add_layer_map(block: Pointer; out row: LongWord): TStatus; cdecl; external Lib;
function rb_block_set_layer_map(block: Pointer; row, column: LongWord; text: PAnsiChar): TStatus; cdecl; external Lib;
function rb_report_code(report: Pointer): LongInt; cdecl; external Lib;
function rb_report_line(report: Pointer): QWord; cdecl; external Lib;
function rb_report_system_error(report: Pointer): LongInt; cdecl; external Lib;
function rb_report_message(report: Pointer): PAnsiChar; cdecl; external Lib;
procedure rb_report_free(report: Pointer); cdecl; external Lib;

{ Every line ends in a line feed alone, as the other callers' do. }
procedure Say(const line: string);
begin
  Write(line, #10);
end;

function Name(status: TStatus): string;
begin
  Result := string(rb_status_name(status));
end;

procedure Check(const what: string; status: TStatus);
begin
  if status <> RB_OK then
  begin
    Say(what + ': ' + Name(status));
    Halt(1);
  end;
end;

{ Values come with their length: they may hold any byte. }
function Text(data: PAnsiChar; length: NativeUInt): string;
begin
  SetString(Result, data, length);
end;

function GetProperty(block: Pointer; index: LongWord): string;
var
  data: PAnsiChar;
  length: NativeUInt;
begin
  Check('get property', rb_block_get_property(block, index, data, length));
  Result := Text(data, length);
end;

procedure PrintBlocks(blocks: Pointer);
var
  at, block: Pointer;
begin
  at := rb_collection_start(blocks);
  block := rb_collection_next(blocks, at);
  while block <> nil do
  begin
    Say(GetProperty(block, 0) + ' ' + GetProperty(block, 1) + ' rows ' +
      IntToStr(rb_block_layer_map_count(block)));
    block := rb_collection_next(blocks, at);
  end;
end;

procedure AddBlock(blocks: Pointer);
const
  Values: array[0..11] of string = ('/TOP/NEW1', '$REUSE/new', 'Smashed', 'Unplaced', '0', '0',
    'TOP', '0', 'mils', '0', '0', 'Unprocessed');
  Columns: array[0..3] of string = ('1', 'TOP', '1', 'TOP');
var
  block: Pointer;
  i, row: LongWord;
begin
  Check('add', rb_collection_add(blocks, '/TOP/NEW1', @block));
  for i := 1 to 11 do
    Check('set property', rb_block_set_property(block, i, PAnsiChar(Values[i])));
  Check('add row', rb_block_add_layer_map(block, row));
  for i := 0 to 3 do
    Check('set column', rb_block_set_layer_map(block, row, i, PAnsiChar(Columns[i])));
  Say('added /TOP/NEW1, taken again: ' + Name(rb_collection_add(blocks, '/TOP/NEW1', nil)));
end;

var
  blocks, reloaded, block, report: Pointer;
  outPath, missingPath, versionText: string;
  key: array[0..63] of AnsiChar;
  keyLength, problems, length: NativeUInt;
  data: PAnsiChar;
  status: TStatus;
begin
  if ParamCount <> 4 then Halt(2);
  outPath := ParamStr(4) + '/pascal_caller.blocks';
  missingPath := ParamStr(4) + '/missing/pascal_caller.blocks';
  if rb_version_number div 10000 = 1 then versionText := 'ok' else versionText := 'mismatch';
  Say('version: ' + versionText);

  blocks := rb_collection_new;
  Check('load', rb_collection_load(blocks, PAnsiChar(AnsiString(ParamStr(2))), @report));
  rb_report_free(report);
  Say('loaded ' + IntToStr(rb_collection_count(blocks)) + ' blocks');
  PrintBlocks(blocks);

  Check('find', rb_collection_find(blocks, '/TOP/U12/B3', block));
  Check('set XLOC', rb_block_set_property_by_name(block, 'XLOC', '12.5'));
  AddBlock(blocks);
  Check('rename', rb_collection_rename(blocks, '/TOP/U12/B3', '/TOP/U12/B3_RENAMED'));
  Check('key', rb_collection_block_key(blocks, block, @key[0], SizeOf(key), keyLength));
  Say('renamed to ' + string(PAnsiChar(@key[0])) + ', onto a taken name: ' +
    Name(rb_collection_rename(blocks, '/TOP/U12/B4', '/TOP/NEW1')));
  Check('round trip', rb_collection_check_round_trip(blocks, problems, nil));
  Say('round-trip problems: ' + IntToStr(problems));

  Check('write', rb_collection_write(blocks, PAnsiChar(AnsiString(outPath)), 'pascal_caller', nil));
  reloaded := rb_collection_new;
  Check('reload', rb_collection_load(reloaded, PAnsiChar(AnsiString(outPath)), nil));
  Say('reloaded ' + IntToStr(rb_collection_count(reloaded)) + ' blocks');
  PrintBlocks(reloaded);
  Check('find renamed', rb_collection_find(reloaded, '/TOP/U12/B3_RENAMED', block));
  Check('get XLOC', rb_block_get_property_by_name(block, 'XLOC', data, length));
  Say('XLOC ' + Text(data, length));

  status := rb_collection_load(reloaded, PAnsiChar(AnsiString(ParamStr(3))), @report);
  Say('load: ' + Name(status) + ', code ' + IntToStr(rb_report_code(report)) + ', line ' +
    IntToStr(rb_report_line(report)) + ': ' + string(rb_report_message(report)));
  rb_report_free(report);
  status := rb_collection_write(reloaded, PAnsiChar(AnsiString(missingPath)), 'pascal_caller', @report);
  Say('write: ' + Name(status) + ', system error ' + IntToStr(rb_report_system_error(report)));
  rb_report_free(report);
  rb_collection_free(reloaded);
  rb_collection_free(blocks);
end.
