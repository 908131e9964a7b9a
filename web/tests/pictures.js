'use strict';
// The page's pictures against the native build's: the same galaxy and camera
// drawn by both, and how many pixels the two pictures part on.
const {execFileSync} = require('node:child_process');

const kSeed = 20261208;

// The galaxy of the page in `browser` held at `steps` steps from kSeed and
// its camera at `ms` (without them, as it stands), drawn now: {width, height,
// pixels (RGB from the bottom row), quads}.
async function pagePicture(browser, steps, ms) {
  const picture = await browser.evaluate(`(() => {
    const {api, canvas} = spiralis;
    if (${steps !== undefined}) api.hold(${kSeed}, ${steps}, ${ms});
    api.frame(0);
    const gl = canvas.getContext('webgl');
    const rgba = new Uint8Array(canvas.width * canvas.height * 4);
    gl.readPixels(0, 0, canvas.width, canvas.height, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
    let text = '';
    for (let i = 0; i < rgba.length; i += 4) text += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
    return {width: canvas.width, height: canvas.height, pixels: btoa(text), quads: api.drawnQuads()};
  })()`);
  return {...picture, pixels: Buffer.from(picture.pixels, 'base64')};
}

function nativePicture(query, {width, height}, steps, ms) {
  return execFileSync(process.env.NATIVE_PICTURE, [width, height, kSeed, steps, ms, query].map(String),
                      {maxBuffer: 1 << 28});
}

// Pixels of the commonest colour (the background) and the others (cells).
function covered(pixels) {
  const counts = new Map();
  for (let i = 0; i < pixels.length; i += 3) {
    const key = pixels.readUIntBE(i, 3);
    counts.set(key, (counts.get(key) || 0) + 1);
  }
  const background = Math.max(...counts.values());
  return pixels.length / 3 - background;
}

function near(a, i, b, j) {
  return Math.abs(a[i] - b[j]) <= 2 && Math.abs(a[i + 1] - b[j + 1]) <= 2 && Math.abs(a[i + 2] - b[j + 2]) <= 2;
}

// Whether pixel (x, y) of `a` has its colour, within rounding, in `b` at
// (x, y) or next to it.
function foundNear(a, b, width, height, x, y) {
  for (let v = Math.max(0, y - 1); v <= Math.min(height - 1, y + 1); ++v)
    for (let u = Math.max(0, x - 1); u <= Math.min(width - 1, x + 1); ++u)
      if (near(a, 3 * (y * width + x), b, 3 * (v * width + u))) return true;
  return false;
}

// The share of pixels of one picture of width x height whose colour the
// other has neither there nor next to it. Two rasterizers (their
// single-precision transforms, and the camera in the last place from the
// libraries' sin and cos) may part by a pixel at a quad's edge: a quad
// missing, misplaced or miscoloured shows.
function differing(a, b, {width, height}) {
  let count = 0;
  for (let y = 0; y < height; ++y)
    for (let x = 0; x < width; ++x)
      if (!foundNear(a, b, width, height, x, y) || !foundNear(b, a, width, height, x, y)) ++count;
  return count / (width * height);
}

const kMostDiffering = 0.001;

module.exports = {kSeed, kMostDiffering, pagePicture, nativePicture, covered, differing};
