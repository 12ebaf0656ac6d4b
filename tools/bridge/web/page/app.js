// The control page: shows the state the bridge pushes over the WebSocket and sends each tap
// as a command. A tapped cell or preset stays "pending" until the bridge says the switcher
// has taken it (or why not).
'use strict';

(function () {
  const grid = document.getElementById('grid');
  const presetList = document.getElementById('presets');
  const connection = document.getElementById('connection');
  const changes = document.getElementById('changes');
  const problem = document.getElementById('problem');

  let socket = null;
  let state = null;
  let nextId = 1;
  let failedAttempts = 0;
  // id -> {output, input} or {preset}
  const pending = new Map();
  let gridShape = '';
  let presetShape = '';

  function portName(kind, number, labels) {
    const short = kind + number;
    const label = labels[number - 1];
    return label && label !== short ? short + ' ' + label : short;
  }

  function usable() {
    return socket !== null && socket.readyState === WebSocket.OPEN && state !== null &&
      state.online;
  }

  function send(command) {
    const id = nextId++;
    command.id = id;
    socket.send(JSON.stringify(command));
    return id;
  }

  function isPending(test) {
    for (const entry of pending.values()) {
      if (test(entry)) return true;
    }
    return false;
  }

  function makeGrid() {
    const inputs = state.inputs;
    const outputs = state.outputs;
    const shape = JSON.stringify([inputs, outputs]);
    if (shape === gridShape) return;
    const focused = document.activeElement;
    const focusKey = focused && focused.dataset ? focused.dataset.key : undefined;
    gridShape = shape;
    grid.replaceChildren();
    grid.style.setProperty('--inputs', String(inputs.length));
    grid.appendChild(document.createElement('span'));
    inputs.forEach(function (label, i) {
      const head = document.createElement('span');
      head.className = 'port input';
      head.textContent = portName('Input', i + 1, inputs);
      grid.appendChild(head);
    });
    outputs.forEach(function (label, o) {
      const output = o + 1;
      const head = document.createElement('span');
      head.className = 'port output';
      head.id = 'output-' + output;
      head.textContent = portName('Output', output, outputs);
      grid.appendChild(head);
      inputs.forEach(function (unused, i) {
        const input = i + 1;
        const cell = document.createElement('button');
        cell.type = 'button';
        cell.className = 'cell';
        cell.dataset.output = String(output);
        cell.dataset.input = String(input);
        cell.dataset.key = 'cell-' + output + '-' + input;
        cell.textContent = String(input);
        cell.setAttribute('aria-label', portName('Output', output, outputs) + ' from ' +
          portName('Input', input, inputs));
        cell.addEventListener('click', function () { route(output, input); });
        grid.appendChild(cell);
      });
    });
    if (focusKey) {
      const again = grid.querySelector('[data-key="' + focusKey + '"]');
      if (again) again.focus();
    }
  }

  function makePresets() {
    const shape = JSON.stringify(state.presets.map(function (p) { return [p.name, p.routing]; }));
    if (shape === presetShape) return;
    presetShape = shape;
    const focused = document.activeElement;
    const focusKey = focused && focused.dataset ? focused.dataset.key : undefined;
    presetList.replaceChildren();
    state.presets.forEach(function (preset) {
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'preset';
      button.dataset.number = String(preset.number);
      button.dataset.key = 'preset-' + preset.number;
      const name = document.createElement('span');
      name.className = 'name';
      name.textContent = preset.name || 'Preset ' + preset.number;
      const routes = document.createElement('span');
      routes.className = 'routes';
      routes.textContent = preset.routing.map(function (input, o) {
        return 'Out' + (o + 1) + ': ' + (input > 0 ? 'In' + input : '-');
      }).join(', ');
      button.append(name, routes);
      button.addEventListener('click', function () { applyPreset(preset.number); });
      presetList.appendChild(button);
    });
    if (focusKey) {
      const again = presetList.querySelector('[data-key="' + focusKey + '"]');
      if (again) again.focus();
    }
  }

  function render() {
    if (state === null) return;
    makeGrid();
    makePresets();
    const enabled = usable();
    grid.querySelectorAll('.cell').forEach(function (cell) {
      const output = Number(cell.dataset.output);
      const input = Number(cell.dataset.input);
      const on = state.routing[output - 1] === input;
      const waiting = isPending(function (p) { return p.output === output && p.input === input; });
      cell.classList.toggle('on', on && !waiting);
      cell.classList.toggle('pending', waiting);
      cell.setAttribute('aria-pressed', on ? 'true' : 'false');
      cell.setAttribute('aria-busy', waiting ? 'true' : 'false');
      cell.disabled = !enabled;
    });
    presetList.querySelectorAll('.preset').forEach(function (button) {
      const number = Number(button.dataset.number);
      const preset = state.presets[number - 1];
      const waiting = isPending(function (p) { return p.preset === number; });
      button.classList.toggle('active', preset.active);
      button.classList.toggle('pending', waiting);
      button.setAttribute('aria-pressed', preset.active ? 'true' : 'false');
      button.setAttribute('aria-busy', waiting ? 'true' : 'false');
      button.disabled = !enabled;
    });
    showConnection();
  }

  function showConnection() {
    let text;
    let offline = true;
    if (socket === null || socket.readyState !== WebSocket.OPEN) {
      text = failedAttempts > 0 ? 'Connection to the bridge lost; trying again…'
        : 'Connecting to the bridge…';
    } else if (state === null) {
      text = 'Connected to the bridge…';
    } else if (!state.online) {
      text = 'The switcher does not answer; routing is off until it does.';
    } else {
      text = 'Connected: ' + state.model;
      offline = false;
    }
    connection.textContent = text;
    connection.classList.toggle('offline', offline);
  }

  function announceChanges(before, after) {
    if (before === null || !after.online) return;
    const said = [];
    after.routing.forEach(function (input, o) {
      if (before.routing[o] !== input && input > 0) {
        said.push(portName('Output', o + 1, after.outputs) + ' now shows ' +
          portName('Input', input, after.inputs) + '.');
      }
    });
    if (said.length > 0) changes.textContent = said.join(' ');
  }

  function route(output, input) {
    if (!usable()) return;
    problem.textContent = '';
    pending.set(send({ type: 'route', output: output, input: input }),
      { output: output, input: input });
    render();
  }

  function applyPreset(number) {
    if (!usable()) return;
    problem.textContent = '';
    pending.set(send({ type: 'preset', number: number }), { preset: number });
    render();
  }

  function receive(message) {
    if (message.type === 'state') {
      announceChanges(state, message);
      state = message;
    } else if (message.type === 'done' || message.type === 'error') {
      if (message.id !== undefined) pending.delete(message.id);
      if (message.message) problem.textContent = message.message;
    }
    render();
  }

  function connect() {
    const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
    socket = new WebSocket(scheme + location.host + '/ws');
    socket.addEventListener('open', function () {
      failedAttempts = 0;
      render();
    });
    socket.addEventListener('message', function (event) {
      let message;
      try {
        message = JSON.parse(event.data);
      } catch (e) {
        return;
      }
      receive(message);
    });
    socket.addEventListener('close', function () {
      socket = null;
      pending.clear();
      failedAttempts += 1;
      render();
      showConnection();
      // A bridge that was restarted has forgotten the login: show the login form again.
      fetch('/app.js', { cache: 'no-store' }).then(function (answer) {
        if (answer.status === 401) location.reload();
      }).catch(function () {});
      setTimeout(connect, Math.min(1000 * failedAttempts, 5000));
    });
  }

  connect();
}());
