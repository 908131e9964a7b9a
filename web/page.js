'use strict';
// The page around the galaxy: the settings panel, made from the galaxy's
// settings table and presets as the WebAssembly module gives them; the look
// kept in the address (the Linux hack's option names: ?preset=warp-speed&
// rings=150, and seed=N to repeat a galaxy) and in local storage; full
// screen; a clip of the canvas to download, where the browser can record
// one; one picture an animation
// frame (at most 30 a second on a discharging battery), none while the page
// is hidden; kiosk=1 in the address for a screen that shows nothing else;
// the service worker that keeps the site offline.

const kStorageKey = 'spiralis.look';

// A plain message instead of the galaxy.

// Pictures a second at most on a discharging battery, and how early an
// animation frame may come and still count as the next picture's.
const kBatteryRate = 30;
const kFrameSlackMs = 2;

function showMessage(text) {
  const message = document.getElementById('message');
  message.textContent = text;
  message.hidden = false;
  document.getElementById('galaxy').hidden = true;
  document.getElementById('controls').hidden = true;
}

// The module's functions, by their exported names.
function moduleApi(m) {
  const wrap = (name, result, args) => m.cwrap('spiralis_' + name, result, args);
  return {
    table: wrap('table', 'string', []),
    start: wrap('start', 'number', ['string', 'string']),
    notes: wrap('notes', 'string', []),
    resize: wrap('resize', null, ['number', 'number']),
    frame: m._spiralis_frame,
    pause: m._spiralis_pause,
    address: wrap('address', 'string', []),
    value: wrap('value', 'string', ['string']),
    figure: wrap('figure', 'string', ['string']),
    preset: wrap('preset', 'string', []),
    set: wrap('set', 'number', ['string', 'string']),
    pickPreset: wrap('pick_preset', 'number', ['string']),
    hold: m._spiralis_hold,
    step: m._spiralis_step,
    useArrays: m._spiralis_use_arrays,
    drawnQuads: m._spiralis_drawn_quads,
    steps: m._spiralis_steps,
  };
}

function storedLook() {
  try {
    return localStorage.getItem(kStorageKey) || '';
  } catch (e) {
    return '';  // storage turned off: the address alone keeps the look
  }
}

// The address's query split into the look and kiosk=1, which belongs to the
// screen, not to the look: {look, kiosk}. Another kiosk= is left out with a
// note.
function splitKiosk(search) {
  const parts = search.replace(/^\?/, '').split('&');
  const kiosk = parts.filter(part => part.split('=')[0] === 'kiosk');
  if (kiosk.some(part => part !== 'kiosk=1')) console.warn('Spiralis: kiosk takes 1 only');
  return {look: parts.filter(part => !kiosk.includes(part)).join('&'), kiosk: kiosk.includes('kiosk=1')};
}

// The look into the address (without a new history entry), kiosk=1 kept
// there, and the look alone into storage, without its seed (which comes
// last): a later visit's galaxy is new.
function keepLook(query, kiosk) {
  const search = [query, kiosk ? 'kiosk=1' : ''].filter(Boolean).join('&');
  history.replaceState(null, '', search ? '?' + search : location.pathname);
  try {
    localStorage.setItem(kStorageKey, query.replace(/&?seed=\d+$/, ''));
  } catch (e) {
    // as above
  }
}

function element(tag, properties, children) {
  const e = Object.assign(document.createElement(tag), properties);
  for (const child of children || []) e.append(child);
  return e;
}

// One row of the panel: a caption labelling a slider with its value beside
// it, or a list.
function row(caption, input, output) {
  input.id = 'setting-' + input.name;
  return element('div', {className: 'row'},
                 [element('label', {htmlFor: input.id, textContent: caption}), input, output || element('span')]);
}

function settingControl(setting) {
  if (setting.kind === 'number') {
    const input = element('input', {type: 'range', name: setting.option, min: setting.min, max: setting.max,
                                    step: 1});
    const output = element('output');
    output.htmlFor = 'setting-' + setting.option;
    return {row: row(setting.caption, input, output), input, output};
  }
  const input = element('select', {name: setting.option},
                        setting.choices.map(([word, name]) => element('option', {value: word, textContent: name})));
  return {row: row(setting.caption, input, null), input, output: null};
}

// The panel: the presets, then every setting in the table's order. Returns
// its sync(), which shows the module's current look.
function buildPanel(table, api, changed) {
  const form = document.getElementById('settings');
  const presets = element('select', {name: 'preset'},
                          [element('option', {value: '', textContent: '(none)'})].concat(
                              table.presets.map(([word, name]) => element('option', {value: word, textContent: name}))));
  presets.addEventListener('change', () => {
    if (presets.value && api.pickPreset(presets.value)) changed();
  });
  form.append(row('Presets', presets, null));
  const controls = table.settings.map(setting => {
    const control = settingControl(setting);
    const kind = setting.kind === 'number' ? 'input' : 'change';
    control.input.addEventListener(kind, () => {
      if (api.set(setting.option, control.input.value)) changed();
    });
    form.append(control.row);
    return control;
  });
  return function sync() {
    presets.value = api.preset();
    for (const {input, output} of controls) {
      const word = api.value(input.name);
      // A colour given as #rrggbb, which no name of the list has.
      if (input.tagName === 'SELECT' && ![...input.options].some(o => o.value === word))
        input.append(element('option', {value: word, textContent: word}));
      input.value = word;
      if (output) output.value = api.figure(input.name);
    }
  };
}

// The canvas's drawing buffer at the size it shows, in device pixels.
function fitCanvas(canvas) {
  const scale = window.devicePixelRatio || 1;
  const width = Math.max(1, Math.round(canvas.clientWidth * scale));
  const height = Math.max(1, Math.round(canvas.clientHeight * scale));
  if (canvas.width === width && canvas.height === height) return false;
  canvas.width = width;
  canvas.height = height;
  return true;
}

function toggleFullScreen(canvas) {
  const request = document.fullscreenElement ? document.exitFullscreen() : canvas.requestFullscreen();
  // Refused: the page stays as it is.
  if (request) request.catch(error => console.warn('Spiralis: full screen refused: ' + error.message));
}

// The canvas full screen, or the whole page (an app installed to open so).
function isFullScreen() {
  return !!document.fullscreenElement || matchMedia('(display-mode: fullscreen)').matches;
}

// Holds a screen wake lock while the page is visible and full screen: let
// go when it hides (the browser lets go too) or leaves full screen, asked for
// again when it comes back.
function keepScreenOn() {
  if (!navigator.wakeLock) return;  // the screen's own timeout rules
  let lock = null, asking = false;
  const wanted = () => document.visibilityState === 'visible' && isFullScreen();
  const release = () => {
    if (!lock || wanted()) return;
    lock.release().catch(() => {});
    lock = null;
  };
  const update = () => {
    if (!wanted()) return release();
    if (lock || asking) return;
    asking = true;
    navigator.wakeLock.request('screen').then(sentinel => {
      lock = sentinel;
      sentinel.addEventListener('release', () => {
        if (lock === sentinel) lock = null;
      });
    }, error => console.warn('Spiralis: the screen may go dark: ' + error.message)).finally(() => {
      asking = false;
      release();  // if the page hid or left full screen meanwhile
    });
  };
  document.addEventListener('visibilitychange', update);
  document.addEventListener('fullscreenchange', update);
  matchMedia('(display-mode: fullscreen)').addEventListener('change', update);
  update();
}

// A kiosk: no panel nor pointer, full screen at the first key or click (a
// browser goes full screen only at one), the screen kept on.
function startKiosk(canvas) {
  document.getElementById('controls').hidden = true;
  document.body.classList.add('kiosk');
  const enter = () => {
    if (!isFullScreen()) toggleFullScreen(canvas);
  };
  document.addEventListener('keydown', enter);
  document.addEventListener('click', enter);
  keepScreenOn();
}

// F or the button toggle full screen.
function offerFullScreen(canvas) {
  document.getElementById('fullscreen').addEventListener('click', () => toggleFullScreen(canvas));
  document.addEventListener('keydown', e => {
    const typing = e.target instanceof HTMLSelectElement;  // letters choose options there
    if ((e.key === 'f' || e.key === 'F') && !typing && !e.ctrlKey && !e.altKey && !e.metaKey) {
      e.preventDefault();
      toggleFullScreen(canvas);
    }
  });
}

// The clip's type: WebM, if the browser records a canvas at all.
function clipType() {
  if (typeof MediaRecorder !== 'function' || !HTMLCanvasElement.prototype.captureStream) return '';
  return ['video/webm;codecs=vp9', 'video/webm;codecs=vp8', 'video/webm'].find(t => MediaRecorder.isTypeSupported(t)) ||
         '';
}

function download(blob, name) {
  const url = URL.createObjectURL(blob);
  element('a', {href: url, download: name}).click();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// The Record button and the clip's length (5 to 60 s), beside the full
// screen button, where the browser can record: a clip of the canvas as it
// draws, offered as spiralis-<preset>.webm. Pressed again, it ends the clip
// early.
function addRecording(canvas, api) {
  const type = clipType();
  if (!type) return;
  const seconds = element('input', {type: 'number', id: 'clip-seconds', min: 5, max: 60, step: 1, value: 10});
  const button = element('button', {type: 'button', id: 'record', textContent: 'Record'});
  document.getElementById('fullscreen').after(
      element('span', {id: 'recording'},
              [button, seconds, element('label', {htmlFor: seconds.id, textContent: 'seconds'})]));
  let recorder = null;
  button.addEventListener('click', () => {
    if (recorder) {
      recorder.stop();
      return;
    }
    const length = Math.min(60, Math.max(5, Math.round(Number(seconds.value)) || 10));
    seconds.value = length;
    const chunks = [];
    const preset = api.preset();
    recorder = new MediaRecorder(canvas.captureStream(30), {mimeType: type});
    recorder.ondataavailable = e => {
      if (e.data.size) chunks.push(e.data);
    };
    const timer = setTimeout(() => recorder.stop(), length * 1000);
    recorder.onstop = () => {
      clearTimeout(timer);
      recorder.stream.getTracks().forEach(track => track.stop());
      recorder = null;
      button.textContent = 'Record';
      seconds.disabled = false;
      download(new Blob(chunks, {type: 'video/webm'}), 'spiralis' + (preset ? '-' + preset : '') + '.webm');
    };
    recorder.start(1000);
    button.textContent = 'Stop';
    seconds.disabled = true;
  });
}

function run(m) {
  const api = moduleApi(m);
  const canvas = document.getElementById('galaxy');
  fitCanvas(canvas);
  const {look, kiosk} = splitKiosk(location.search);
  if (!api.start('#galaxy', look || storedLook())) {
    showMessage('Spiralis needs WebGL, which this browser does not offer.');
    return;
  }
  for (const note of api.notes().split('\n').filter(Boolean)) console.warn('Spiralis: ' + note);

  let sync = null;
  const changed = () => {
    keepLook(api.address(), kiosk);
    sync();
  };
  sync = buildPanel(JSON.parse(api.table()), api, changed);
  changed();

  new ResizeObserver(() => {
    if (fitCanvas(canvas)) api.resize(canvas.width, canvas.height);
  }).observe(canvas);
  if (kiosk) {
    startKiosk(canvas);
  } else {
    offerFullScreen(canvas);
    addRecording(canvas, api);
  }

  // On a battery that is discharging (where the browser tells), at most
  // kBatteryRate pictures a second; the galaxy's steps keep their pace.
  let gap = 0;
  if (navigator.getBattery) {
    navigator.getBattery().then(battery => {
      const follow = () => { gap = battery.charging ? 0 : 1000 / kBatteryRate; };
      battery.addEventListener('chargingchange', follow);
      follow();
    }).catch(() => {});
  }
  let frame = 0, last = -Infinity, pictures = 0;
  const tick = now => {
    frame = requestAnimationFrame(tick);
    if (now - last < gap - kFrameSlackMs) return;
    last = now;
    ++pictures;
    api.frame(now);
  };
  const show = () => {
    if (document.hidden) {
      cancelAnimationFrame(frame);
      frame = 0;
      last = -Infinity;
      api.pause();
    } else if (!frame) {
      frame = requestAnimationFrame(tick);
    }
  };
  document.addEventListener('visibilitychange', show);
  show();
  // For the console, the tests and the benchmarks: the module, the canvas,
  // and the pictures drawn and steps taken since the page loaded.
  window.spiralis = Object.freeze({api, canvas, stats: () => ({pictures, steps: api.steps()})});
}

function startSpiralis() {
  if (typeof WebAssembly !== 'object' || typeof SpiralisModule !== 'function') {
    showMessage('Spiralis needs WebAssembly, which this browser does not offer.');
    return;
  }
  SpiralisModule().then(run).catch(error => {
    console.error(error);
    showMessage('Spiralis could not be loaded.');
  });
}

// The module's script, loaded after this one; then the galaxy starts.
function loadModule() {
  const script = element('script', {src: 'spiralis.js', async: true});
  script.addEventListener('load', startSpiralis);
  script.addEventListener('error', () => showMessage('Spiralis could not be loaded.'));
  document.body.append(script);
}

loadModule();
// The site's files kept for a visit without the network (service-worker.js).
if (navigator.serviceWorker)
  navigator.serviceWorker.register('service-worker.js').catch(error => console.warn('Spiralis: not kept offline: ' + error.message));
