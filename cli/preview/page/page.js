'use strict';
// The preview page: one control per effect control, from the effect's own declarations
// (/controls.json); reduced-scale frames while a slider moves, the full frame when it stops.

const $ = (id) => document.getElementById(id);
const values = {};        // control name -> value as the command's flags take it
const inputs = {};        // control name -> the elements that show it
let colourControl = null; // the tint: its dependants grey out while it is off
// How both frames are shown, never what is rendered or saved: a display's view of the colour
// config ('' shows the values as stored) after an exposure in stops.
const viewing = {view: '', exposure: '0'};
// One request at a time: a reduced frame takes a good part of a second on a large frame, and a
// drag that interrupted it at every move would show none. Settings that change meanwhile wait
// in `wanted` and go, newest only, when the frame in flight is shown. A full frame in flight is
// dropped for a newer request instead: the newer settings make it stale and it costs the most.
let wanted = null;        // {scale}: the next frame to ask for, with the values as they are then
let inFlight = null;      // {controller, scale}: the request being answered
let dragScale = 0;        // the scale asked for while a control moves, from how long frames take

// A drag shows a frame about every 150 ms if it can. A frame's time goes with its pixels, the
// square of its scale: after each frame the page picks the scale whose frame should take at
// most that long, from half size (a quarter on large frames) down to an eighth, and goes back
// up only when the larger scale should take well under it.
const kSlowFrameMs = 150;
const kQuickFrameMs = 100;
const kSmallestScale = 0.125;

function query(extra) {
  const params = new URLSearchParams(values);
  for (const [k, v] of Object.entries(extra || {})) params.set(k, v);
  return params.toString();
}

function viewingQuery() {
  if (!viewing.view) return {};
  return Number(viewing.exposure) ? {view: viewing.view, exposure: viewing.exposure} : {view: viewing.view};
}

function showSource() {
  $('before').src = '/source.png?' + new URLSearchParams(viewingQuery()).toString();
  return $('before').decode().catch(() => {});
}

// The config's displays and views (none without one: the menu stays hidden), the one the
// preset named chosen.
function setupViewing(choices) {
  const displays = (choices && choices.displays) || [];
  if (!displays.length) return;
  const menu = $('show-through');
  for (const d of displays) {
    for (const v of d.views) {
      const option = document.createElement('option');
      option.value = d.name + '/' + v;
      option.textContent = d.name + ' / ' + v;
      menu.append(option);
    }
  }
  if (choices.view && [...menu.options].some((o) => o.value === choices.view)) {
    menu.value = choices.view;
    viewing.view = choices.view;
  }
  const exposure = $('exposure');
  const greyExposure = () => {
    exposure.disabled = !viewing.view;
    $('exposure-row').classList.toggle('off', !viewing.view);
  };
  const changed = () => {
    showSource();
    render(1);
  };
  menu.addEventListener('change', () => {
    viewing.view = menu.value;
    greyExposure();
    changed();
  });
  exposure.addEventListener('input', () => {
    viewing.exposure = exposure.value;
    $('exposure-value').textContent = exposure.value;
  });
  exposure.addEventListener('change', changed);
  greyExposure();
  $('viewing').hidden = false;
}

function firstDragScale() {
  const width = $('before').naturalWidth || 0;
  return width > 3000 ? 0.25 : 0.5;
}

function previewScale() {
  if (!dragScale) dragScale = firstDragScale();
  return dragScale;
}

function adaptScale(scale, ms) {
  const cost = (s) => ms * (s / scale) ** 2;
  let next = previewScale();
  while (next > kSmallestScale && cost(next) > kSlowFrameMs) next /= 2;
  while (next < firstDragScale() && cost(next * 2) < kQuickFrameMs) next *= 2;
  dragScale = next;
}

function fmt(v) { return Number(v).toFixed(3); }

function showStats(json, ms, scale) {
  $('time').textContent = ms + ' ms';
  $('scale').textContent = scale < 1 ? '(at ' + scale + ')' : '(full size)';
  const s = JSON.parse(json);
  const clip = s.clipped > 0 ? ' <span class="clip">clipped ' + (100 * s.clipped).toFixed(2) + '%</span>' : '';
  $('range').innerHTML = 'min ' + s.min.slice(0, 3).map(fmt).join(' ') + '<br>max ' +
      s.max.slice(0, 3).map(fmt).join(' ') + '<br>alpha ' + fmt(s.min[3]) + '..' + fmt(s.max[3]) + clip;
}

// Asks for a frame of the current values at this scale, as soon as the one in flight allows.
function render(scale) {
  wanted = {scale: scale};
  if (inFlight && inFlight.scale === 1) {
    inFlight.controller.abort();
    inFlight = null;
  }
  pump();
}

async function pump() {
  if (inFlight || !wanted) return;
  const job = {controller: new AbortController(), scale: wanted.scale};
  wanted = null;
  inFlight = job;
  const started = performance.now();
  try {
    const response = await fetch('/render.png?' + query({scale: job.scale, ...viewingQuery()}),
                                  {signal: job.controller.signal, cache: 'no-store'});
    if (response.status === 409) {
      // A request this page dropped reached the server after this one: ask again.
      if (job === inFlight && !wanted) wanted = {scale: job.scale};
    } else if (!response.ok) {
      const message = (await response.text()).trim();
      if (job === inFlight) $('error').textContent = message;
    } else {
      const blob = await response.blob();
      const url = URL.createObjectURL(blob);
      // Decoded before it is shown, so the frame and its figures change together.
      const frame = new Image();
      frame.src = url;
      await frame.decode().catch(() => {});
      if (job !== inFlight) {
        URL.revokeObjectURL(url);
      } else {
        const after = $('after');
        const old = after.src;
        after.src = url;
        if (old.startsWith('blob:')) URL.revokeObjectURL(old);
        $('error').textContent = '';
        showStats(response.headers.get('X-Velmora-Stats'), response.headers.get('X-Velmora-Render-Ms'),
                  job.scale);
        fitAfter();
        adaptScale(job.scale, performance.now() - started);
      }
    }
  } catch (e) {
    // Dropped for a newer request, or the server is gone.
    if (job === inFlight) $('error').textContent = 'the preview server did not answer: ' + e;
  }
  if (job === inFlight) {
    inFlight = null;
    pump();
  }
}

function fitAfter() {
  // A reduced frame is shown at the size of the full one.
  const actual = $('viewer').classList.contains('actual');
  $('after').style.width = actual ? $('before').naturalWidth + 'px' : '';
}

function greyTint() {
  if (!colourControl) return;
  const on = values[colourControl] !== 'off';
  for (const name of Object.keys(inputs)) {
    if (name === colourControl || name.startsWith(colourControl + '-')) {
      inputs[name].box.classList.toggle('off', !on);
      for (const el of inputs[name].fields) if (name !== colourControl) el.disabled = !on;
    }
  }
  if (inputs[colourControl]) inputs[colourControl].fields[1].disabled = !on;
}

// The knee widens the threshold: greyed while the threshold keys nothing out.
function greyKnee() {
  const knee = inputs.softness;
  if (!knee) return;
  const on = Number(values.threshold) > 0;
  knee.box.classList.toggle('off', !on);
  for (const el of knee.fields) el.disabled = !on;
}

function set(name, value, scale) {
  values[name] = String(value);
  greyTint();
  greyKnee();
  render(scale);
}

function numberControl(c, box, row) {
  // A long range (the threshold's) has a slider over its useful part; the field takes it all.
  const [min, max] = c.slider || c.range;
  const whole = c.kind === 'whole number';
  const slider = document.createElement('input');
  slider.type = 'range';
  slider.min = min; slider.max = max;
  slider.step = whole ? 1 : (max - min) / 1000;
  const field = document.createElement('input');
  field.type = 'number';
  field.min = c.range[0]; field.max = c.range[1]; field.step = whole ? 1 : 'any';
  slider.value = field.value = values[c.name];
  slider.name = c.name;
  slider.addEventListener('input', () => { field.value = slider.value; set(c.name, slider.value, previewScale()); });
  slider.addEventListener('change', () => { field.value = slider.value; set(c.name, slider.value, 1); });
  field.addEventListener('change', () => { slider.value = field.value; set(c.name, field.value, 1); });
  row.append(slider, field);
  return [slider, field];
}

function buildControl(c) {
  const box = document.createElement('div');
  box.className = 'control';
  const label = document.createElement('label');
  label.textContent = c.name;
  label.title = (c.label ? c.label + ' ' : '') + '(' + c.flag + ')';
  const row = document.createElement('div');
  row.className = 'row';
  box.append(label, row);
  let fields = [];
  if (c.kind === 'whole number' || c.kind === 'number') {
    fields = numberControl(c, box, row);
  } else if (c.kind === 'choice') {
    const select = document.createElement('select');
    select.name = c.name;
    for (const choice of c.choices) select.add(new Option(choice, choice));
    select.value = values[c.name];
    select.addEventListener('change', () => set(c.name, select.value, 1));
    row.append(select);
    fields = [select];
  } else if (c.kind === 'switch') {
    const box2 = document.createElement('input');
    box2.type = 'checkbox';
    box2.name = c.name;
    box2.checked = ['true', 'on', 'yes', '1'].includes(String(values[c.name]).toLowerCase());
    values[c.name] = String(box2.checked);
    box2.addEventListener('change', () => set(c.name, box2.checked, 1));
    row.append(box2);
    fields = [box2];
  } else if (c.kind === 'colour') {
    colourControl = c.name;
    const on = document.createElement('input');
    on.type = 'checkbox';
    on.name = c.name + '-on';
    const colour = document.createElement('input');
    colour.type = 'color';
    colour.name = c.name;
    const start = String(values[c.name]);
    on.checked = start !== 'off';
    colour.value = /^#[0-9a-fA-F]{6}$/.test(start) ? start.toLowerCase() : (c.colour || '#ffffff').toLowerCase();
    const apply = () => set(c.name, on.checked ? colour.value : 'off', 1);
    on.addEventListener('change', apply);
    colour.addEventListener('change', apply);
    colour.addEventListener('input', () => { if (on.checked) set(c.name, colour.value, previewScale()); });
    row.append(on, colour);
    fields = [on, colour];
  }
  inputs[c.name] = {box, fields};
  return box;
}

async function savePreset() {
  const q = query();
  let response;
  try {
    response = await fetch('/save-preset?' + q, {method: 'POST', headers: {'X-Velmora': 'save'}});
  } catch (e) {
    $('error').textContent = 'the preview server did not answer: ' + e;
    return null;
  }
  if (!response.ok) {
    $('error').textContent = (await response.text()).trim();
    return null;
  }
  const saved = await response.json();
  $('saved-file').textContent = saved.file;
  $('command').textContent = saved.command;
  $('download').href = '/preset.toml?' + q;
  $('saved').hidden = false;
  return saved;
}

function setupView() {
  const viewer = $('viewer');
  for (const radio of document.querySelectorAll('input[name=view]')) {
    radio.addEventListener('change', () => {
      viewer.classList.toggle('side', radio.value === 'side' && radio.checked);
      viewer.classList.toggle('split', radio.value === 'split' && radio.checked);
    });
  }
  $('split').addEventListener('input', () => viewer.style.setProperty('--split', $('split').value + '%'));
  $('zoom').addEventListener('click', () => {
    const actual = viewer.classList.toggle('actual');
    viewer.classList.toggle('fit', !actual);
    $('zoom').textContent = actual ? 'fit' : '1:1';
    $('before').style.width = actual ? $('before').naturalWidth + 'px' : '';
    fitAfter();
  });
  $('save').addEventListener('click', savePreset);
}

async function start() {
  setupView();
  const [controls, begin] = await Promise.all([
    fetch('/controls.json').then((r) => r.json()),
    fetch('/start.json').then((r) => r.json()),
  ]);
  $('input').textContent = begin.input + (begin.frame !== null ? ' frame ' + begin.frame : '');
  const form = $('controls');
  for (const c of controls.controls) {
    values[c.name] = c.name in begin.controls ? begin.controls[c.name] : String(c.default);
    form.append(buildControl(c));
  }
  // Highlights, mix and the glow pass: the tool's, around the effect.
  for (const c of controls.options || []) {
    values[c.name] = c.name in begin.controls ? begin.controls[c.name] : String(c.default);
    form.append(buildControl(c));
  }
  greyTint();
  greyKnee();
  setupViewing(begin.viewing);
  await showSource();
  render(1);
}

start();
