'use strict';
// The page in headless Chromium, served on 127.0.0.1: it loads without a
// console error and draws what the native build draws for the same galaxy
// and camera; the panel's sliders and presets change the picture, the
// address and what a later visit shows; a hostile address gives the
// defaults; 150 rings draw whole; a hidden page draws nothing; a browser
// without WebGL gets a message.
const {test, before, after} = require('node:test');
const assert = require('node:assert');
const {Browser} = require('../browser.js');
const {serve} = require('../serve.js');
const pictures = require('./pictures.js');
const {kMostDiffering, covered, differing, nativePicture} = pictures;

let server, browser, origin;
before(async () => {
  server = await serve(process.env.SITE);
  origin = `http://127.0.0.1:${server.address().port}/`;
  browser = await Browser.launch();
});
after(async () => {
  await browser.close();
  server.close();
});

const pagePicture = (steps, ms) => pictures.pagePicture(browser, steps, ms);

function errors() {
  return browser.messages.filter(m => m.level === 'error');
}

test('the page draws what the native build draws, with no console error', async () => {
  const looks = [
    {query: '', steps: 300, ms: 4000},
    {query: 'preset=pink-clouds-of-heaven&eye=120', steps: 200, ms: 12000},
    {query: 'preset=space-vertex&background=Teal', steps: 150, ms: 0},
  ];
  for (const {query, steps, ms} of looks) {
    assert.ok(await browser.open(origin + (query ? '?' + query : '')), query);
    const page = await pagePicture(steps, ms);
    const native = nativePicture(query, page, steps, ms);
    assert.strictEqual(page.pixels.length, native.length);
    assert.ok(covered(native) > native.length / 3 / 50, `${query}: the native picture shows cells`);
    assert.ok(Math.abs(covered(page.pixels) - covered(native)) < native.length / 3 * kMostDiffering, query);
    const share = differing(page.pixels, native, page);
    assert.ok(share < kMostDiffering, `${query}: ${share}`);
    assert.deepStrictEqual(errors(), [], query);
  }
});

test('150 rings draw whole', async () => {
  const query = 'preset=galaxy-simulation&rings=150&depth=600';
  assert.ok(await browser.open(origin + '?' + query));
  const page = await pagePicture(60, 3000);
  // More quads than 16-bit indices reach in one draw.
  assert.ok(page.quads > 65536 / 4, `${page.quads} quads`);
  const native = nativePicture(query, page, 60, 3000);
  await browser.evaluate('spiralis.api.useArrays(0)');
  const immediate = await pagePicture(60, 3000);
  assert.ok(immediate.pixels.equals(page.pixels), 'one vertex at a time draws as the arrays do');
  const share = differing(page.pixels, native, page);
  assert.ok(share < kMostDiffering, `${share}`);
  assert.deepStrictEqual(errors(), []);
});

test('the panel changes the picture, the address and the next visit', async () => {
  assert.ok(await browser.open(origin));
  await browser.evaluate('localStorage.clear()');
  assert.ok(await browser.open(origin));
  const before = await pagePicture(100, 2000);
  await browser.evaluate(`document.getElementById('setting-rings').focus()`);
  await browser.press('ArrowRight', 'ArrowRight', 39);
  assert.strictEqual(await browser.evaluate('location.search'), '?rings=61');
  assert.strictEqual(await browser.evaluate(`document.querySelector('#setting-rings + output').value`), '61');
  // A slider shows the figure a person reads, as the dialog does: the density, not its position.
  assert.strictEqual(await browser.evaluate(`document.querySelector('#setting-density + output').value`), '0.005');
  // The held galaxy itself changes, as a running one does.
  assert.ok(differing(before.pixels, (await pagePicture()).pixels, before) > 0.01);
  const rings = await pagePicture(100, 2000);
  assert.ok(differing(before.pixels, rings.pixels, rings) > 0.01);

  await browser.evaluate(`document.getElementById('setting-preset').focus()`);
  await browser.press('ArrowDown', 'ArrowDown', 40);
  assert.strictEqual(await browser.evaluate('location.search'), '?preset=pink-clouds-of-heaven');
  assert.strictEqual(await browser.evaluate(`document.getElementById('setting-rings').value`), '56');
  assert.ok(differing(rings.pixels, (await pagePicture()).pixels, rings) > 0.01);
  const preset = await pagePicture(100, 2000);
  assert.ok(differing(rings.pixels, preset.pixels, rings) > 0.01);
  // A preset the page does not know changes nothing.
  assert.strictEqual(await browser.evaluate(`spiralis.api.pickPreset('nope')`), 0);
  assert.strictEqual(await browser.evaluate('spiralis.api.address()'), 'preset=pink-clouds-of-heaven');

  // A visit without settings in its address shows the last look.
  assert.ok(await browser.open(origin));
  assert.strictEqual(await browser.evaluate('location.search'), '?preset=pink-clouds-of-heaven');
  assert.deepStrictEqual(errors(), []);
});

test('with storage turned off the address alone keeps the look', async () => {
  // As a browser that keeps no site data answers: reading the storage throws.
  const {identifier} = await browser.send('Page.addScriptToEvaluateOnNewDocument', {source:
    `Object.defineProperty(window, 'localStorage', {get() { throw new DOMException('off', 'SecurityError'); }})`});
  try {
    assert.ok(await browser.open(origin + '?preset=warp-speed'));
    await browser.evaluate(`document.getElementById('setting-rings').focus()`);
    await browser.press('ArrowLeft', 'ArrowLeft', 37);
    assert.match(await browser.evaluate('location.search'), /^\?preset=warp-speed&rings=\d+$/);
    assert.ok(await browser.open(origin));
    assert.strictEqual(await browser.evaluate('location.search'), '', 'a later visit has the defaults');
    assert.deepStrictEqual(errors(), []);
  } finally {
    await browser.send('Page.removeScriptToEvaluateOnNewDocument', {identifier});
  }
});

test('a hostile address gives the defaults and a note', async () => {
  const hostile = ['rings=151', 'velocity=-1', 'probability=1e9', 'trails=0x10', 'density=NaN', 'speed=warp',
                   'dark-matter=', 'explosion=%23zzzzzz', 'exhausted=%00%ff', 'plenished=' + 'A'.repeat(5000),
                   'background=%E2%80%AE', 'eye', 'depth=600.5', 'preset=%3Cscript%3E', 'window-id=1', '%=%',
                   '&&=&'];
  assert.ok(await browser.open(origin + '?' + hostile.join('&')));
  assert.strictEqual(await browser.evaluate('location.search'), '');
  assert.strictEqual(await browser.evaluate('spiralis.api.address()'), '');
  const notes = browser.messages.filter(m => m.level === 'warning');
  assert.ok(notes.length >= hostile.length - 2, notes.map(n => n.text).join('\n'));
  assert.ok(notes.every(n => n.text.length < 200));
  assert.deepStrictEqual(errors(), []);
  const picture = await pagePicture(100, 0);
  assert.ok(covered(picture.pixels) > 0);
});

test('a hidden page draws nothing until it shows again', async () => {
  assert.ok(await browser.open(origin));
  // Counts the pictures drawn while animation frames go by.
  const framesWhile = hidden => browser.evaluate(`new Promise(resolve => {
    Object.defineProperty(document, 'hidden', {value: ${hidden}, configurable: true});
    document.dispatchEvent(new Event('visibilitychange'));
    const frame = spiralis.api.frame;
    let drawn = 0, seen = 0;
    spiralis.api.frame = now => { ++drawn; frame(now); };
    const count = () => {
      if (++seen < 10) return requestAnimationFrame(count);
      spiralis.api.frame = frame;
      resolve(drawn);
    };
    requestAnimationFrame(count);
  })`);
  assert.strictEqual(await framesWhile(true), 0);
  assert.ok(await framesWhile(false) >= 8);
});

test('on a discharging battery at most 30 pictures a second, the steps at their pace', async () => {
  const {identifier} = await browser.send('Page.addScriptToEvaluateOnNewDocument', {source: `
    navigator.getBattery = () => Promise.resolve(
        {charging: false, level: 0.5, chargingTime: Infinity, dischargingTime: 3600, addEventListener() {}});`});
  try {
    assert.ok(await browser.open(origin));
    // Over at least a second of the page's own clock, counted by its stats.
    await browser.evaluate(`window.since = [performance.now(), spiralis.stats()]`);
    await browser.waitFor('performance.now() - since[0] >= 1000');
    const [ms, before, after] = await browser.evaluate('[performance.now() - since[0], since[1], spiralis.stats()]');
    const seconds = ms / 1000;
    assert.ok(after.pictures - before.pictures <= 31 * seconds, JSON.stringify({seconds, before, after}));
    assert.ok(after.pictures > before.pictures);
    // Fast steps every 10 ms, whatever the pictures.
    assert.ok(after.steps - before.steps >= 80 * seconds, JSON.stringify({seconds, before, after}));
    // The hook is read-only.
    assert.strictEqual(await browser.evaluate('spiralis.stats = null, typeof spiralis.stats'), 'function');
  } finally {
    await browser.send('Page.removeScriptToEvaluateOnNewDocument', {identifier});
  }
});

test('F toggles full screen, from the keyboard', async () => {
  assert.ok(await browser.open(origin));
  await browser.evaluate('document.activeElement.blur()');
  await browser.press('f', 'KeyF', 70);
  await browser.waitFor('document.fullscreenElement === spiralis.canvas');
  await browser.press('f', 'KeyF', 70);
  await browser.waitFor('!document.fullscreenElement');
});

test('without WebGL the page says so', async () => {
  const plain = await Browser.launch({flags: ['--disable-webgl', '--disable-3d-apis']});
  try {
    assert.strictEqual(await plain.open(origin), false);
    assert.match(await plain.evaluate(`document.getElementById('message').textContent`), /needs WebGL/);
    assert.strictEqual(await plain.evaluate(`document.getElementById('galaxy').hidden`), true);
  } finally {
    await plain.close();
  }
});

test('Record gives a WebM clip named after the look; the seed stays in the address alone', async () => {
  assert.ok(await browser.open(origin + '?preset=warp-speed&seed=5'));
  assert.strictEqual(await browser.evaluate('location.search'), '?preset=warp-speed&seed=5');
  // The seed stays out of what a later visit shows.
  assert.strictEqual(await browser.evaluate(`localStorage.getItem('spiralis.look')`), 'preset=warp-speed');
  // The download is caught rather than saved: its blob and name.
  await browser.evaluate(`(() => {
    const create = URL.createObjectURL;
    URL.createObjectURL = blob => (window.clip = blob, create(blob));
    HTMLAnchorElement.prototype.click = function() { window.clipName = this.download; };
    document.getElementById('clip-seconds').value = 1;  // below the least: 5 s
    document.getElementById('record').click();
  })()`);
  assert.strictEqual(await browser.evaluate(`document.getElementById('clip-seconds').value`), '5');
  await browser.evaluate(`new Promise((resolve, reject) => {
    const end = Date.now() + 60000;
    const check = () => window.clipName !== undefined ? resolve() :
                        Date.now() > end ? reject(new Error('no clip after a minute')) : setTimeout(check, 50);
    check();
  })`);
  const clip = await browser.evaluate(`window.clip.arrayBuffer().then(b => ({
    size: b.byteLength, type: window.clip.type, head: [...new Uint8Array(b, 0, 4)], name: window.clipName}))`);
  assert.deepStrictEqual(clip.head, [0x1A, 0x45, 0xDF, 0xA3]);  // EBML, as WebM begins
  assert.ok(clip.size > 4096, `${clip.size} bytes`);
  assert.strictEqual(clip.type, 'video/webm');
  assert.strictEqual(clip.name, 'spiralis-warp-speed.webm');
  assert.strictEqual(await browser.evaluate(`document.getElementById('record').textContent`), 'Record');
  assert.deepStrictEqual(errors(), []);
});

test('without MediaRecorder there is no Record button', async () => {
  assert.ok(await browser.open(origin));
  const absent = await browser.evaluate(`(async () => {
    delete window.MediaRecorder;
    document.getElementById('recording').remove();
    addRecording(spiralis.canvas, spiralis.api);
    return !document.getElementById('record');
  })()`);
  assert.strictEqual(absent, true);
});
