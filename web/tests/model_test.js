'use strict';
// The model built to WebAssembly steps exactly as the native build: the
// same looks from the same seed (its seedings too), every cell's state after
// each of 600 steps.
const {test} = require('node:test');
const assert = require('node:assert');
const {execFileSync} = require('node:child_process');

test('the WebAssembly model steps as the native one', () => {
  const run = (command, args) => execFileSync(command, args, {maxBuffer: 1 << 30}).toString();
  const native = run(process.env.MODEL_NATIVE, []);
  // Emscripten's Node.js loader reads its .wasm as a file, not with fetch.
  const wasm = run(process.execPath, ['--no-experimental-fetch', process.env.MODEL_JS]);
  const a = native.split('\n'), b = wasm.split('\n');
  assert.strictEqual(a.filter(line => line.startsWith('step ')).length, 5 * 600);
  const first = a.findIndex((line, i) => line !== b[i]);
  assert.strictEqual(first, -1, `first difference on line ${first + 1}:\n${a[first]}\n${b[first]}`);
  assert.strictEqual(a.length, b.length);
});
