'use strict';
// The preview page: one control per effect control, from the effect's own declarations
// (/controls.json); a reduced-scale frame while a slider moves, the full frame when it stops.

const $ = (id) => document.getElementById(id);
const values = {};        // control name -> value as the command's flags take it
const inputs = {};        // control name -> the elements that show it
let colourControl = null; // the tint: its dependants grey out while it is off
let pending = null;       // the fetch in flight, aborted when a newer one starts
let lastFull = '';        // the query of the last full-size frame shown
let renders = 0;          // full-size frames shown, for the self-test

function query(extra) {
  const params = new URLSearchParams(values);
  for (const [k, v] of Object.entries(extra || {})) params.set(k, v);
  return params.toString();
}

function previewScale() {
  const width = $('before').naturalWidth || 0;
  return width > 3000 ? 0.25 : 0.5;
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

async function render(scale) {
  if (pending) pending.abort();
  const controller = new AbortController();
  pending = controller;
  const q = query({scale: scale});
  let response;
  try {
    response = await fetch('/render.png?' + q, {signal: controller.signal, cache: 'no-store'});
  } catch (e) {
    return false;  // aborted by a newer request
  }
  if (controller !== pending) return false;
  // Two requests sent together can reach the server out of order, and the one it took as newer
  // may be one this page has already dropped: the newest asks again.
  if (response.status === 409) return render(scale);
  if (!response.ok) {
    $('error').textContent = (await response.text()).trim();
    pending = null;
    return false;
  }
  const blob = await response.blob();
  if (controller !== pending) return false;
  pending = null;
  const after = $('after');
  const old = after.src;
  after.src = URL.createObjectURL(blob);
  await after.decode().catch(() => {});
  if (old.startsWith('blob:')) URL.revokeObjectURL(old);
  $('error').textContent = '';
  showStats(response.headers.get('X-Velmora-Stats'), response.headers.get('X-Velmora-Render-Ms'), scale);
  fitAfter();
  if (scale === 1) {
    lastFull = query();
    renders++;
  }
  return scale === 1;
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
  return render(scale);
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

function pixelsOf(img) {
  const canvas = document.createElement('canvas');
  canvas.width = img.naturalWidth;
  canvas.height = img.naturalHeight;
  const context = canvas.getContext('2d');
  context.drawImage(img, 0, 0);
  return context.getImageData(0, 0, canvas.width, canvas.height).data;
}

function samePixels(a, b) {
  if (a.length !== b.length) return false;
  for (let i = 0; i < a.length; i++) if (a[i] !== b[i]) return false;
  return true;
}

// /?selftest=1: the page moves the radius as a user would, waits for the frame, saves the
// preset, and posts what it saw for the test to read.
async function selfTest() {
  const report = {changed: false};
  try {
    // The tint starts off, so its controls start greyed.
    report.tintGreyed = inputs['tint-mode'].fields[0].disabled && inputs.tint.fields[1].disabled;
    const before = pixelsOf($('after'));
    const slider = inputs.radius.fields[0];
    const min = Number(slider.min), max = Number(slider.max);
    const target = Math.round(Number(slider.value) > (min + max) / 4 ? min + (max - min) / 16 : min + (max - min) / 4);
    slider.value = target;
    slider.dispatchEvent(new Event('input'));
    const shown = renders;
    slider.dispatchEvent(new Event('change'));
    while (renders === shown) await new Promise((r) => setTimeout(r, 50));
    report.radius = values.radius;
    report.changed = !samePixels(before, pixelsOf($('after')));
    report.query = lastFull;
    $('save').click();
    while ($('saved').hidden && !$('error').textContent) await new Promise((r) => setTimeout(r, 50));
    report.file = $('saved-file').textContent;
    report.command = $('command').textContent;
    report.error = $('error').textContent;
  } catch (e) {
    report.error = String(e);
  }
  await fetch('/selftest', {method: 'POST', body: JSON.stringify(report)});
  document.body.dataset.selftest = 'done';
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
  $('before').src = '/source.png';
  await $('before').decode().catch(() => {});
  await render(1);
  if (new URLSearchParams(location.search).get('selftest') === '1') await selfTest();
}

start();
