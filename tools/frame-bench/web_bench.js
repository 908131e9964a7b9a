'use strict';
// The frame benchmark's scene in the web page, in headless Chromium (WebGL
// on SwiftShader): the same galaxy as frame_bench_native (seed 20261207,
// 300 steps first), stepped between frames, each frame waited for (a pixel
// read back). Then the page as it runs: its animation frames' pace and the
// time each spends in the module. One line each in frame_bench's form.
//
//   node web_bench.js SITE RINGS FRAMES WIDTHxHEIGHT
const {Browser} = require('../../web/browser.js');
const {serve} = require('../../web/serve.js');

async function main([site, rings, frames, size]) {
  const [width, height] = size.split('x').map(Number);
  const server = await serve(site);
  // The window holds the canvas at WIDTH x HEIGHT once its own frame is counted.
  let browser = await Browser.launch({width, height});
  const url = `http://127.0.0.1:${server.address().port}/?rings=${rings}`;
  await browser.open(url);
  const margin = await browser.evaluate('[innerWidth - spiralis.canvas.width, innerHeight - spiralis.canvas.height]');
  const chrome = await browser.evaluate('[outerWidth - innerWidth, outerHeight - innerHeight]');
  await browser.close();
  browser = await Browser.launch({width: width + chrome[0] + margin[0], height: height + chrome[1] + margin[1]});
  await browser.open(url);
  const r = await browser.evaluate(`(() => {
    const {api, canvas} = spiralis;
    const gl = canvas.getContext('webgl');
    const pixel = new Uint8Array(4);
    api.hold(20261207, 300, 0);
    let step = 0;
    const frame = () => {
      const t0 = performance.now();
      api.step();
      step += performance.now() - t0;
      api.frame(0);
      gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
    };
    for (let i = 0; i < 10; ++i) frame();
    step = 0;
    const t0 = performance.now();
    for (let i = 0; i < ${frames}; ++i) frame();
    const wall = performance.now() - t0;
    return {width: canvas.width, height: canvas.height, wall, step, quads: api.drawnQuads()};
  })()`);
  console.log(`variant=frame-web n=${rings} size=${r.width}x${r.height} frames=${frames} quads=${r.quads} ` +
              `ms_per_frame=${(r.wall / frames).toFixed(3)} step_ms=${(r.step / frames).toFixed(3)}`);
  // As the page runs: one picture an animation frame.
  await browser.open(url);
  const paced = await browser.evaluate(`new Promise(resolve => {
    const {api} = spiralis;
    const frame = api.frame;
    let count = 0, inside = 0, first = 0;
    api.frame = now => {
      const t0 = performance.now();
      frame(now);
      inside += performance.now() - t0;
      if (count++ === 0) first = now;
      if (count === ${frames}) {
        api.frame = frame;
        resolve({between: (now - first) / (count - 1), inside: inside / count});
      }
    };
  })`);
  console.log(`variant=paced-web n=${rings} frames=${frames} ms_between_frames=${paced.between.toFixed(2)} ` +
              `ms_in_module=${paced.inside.toFixed(3)}`);
  await browser.close();
  server.close();
}

main(process.argv.slice(2)).catch(error => {
  console.error(error);
  process.exit(1);
});
