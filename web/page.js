// The page around magpend: a terminal that shows the program's VT output and
// sends it the bytes of each key, a canvas for each open window, and a fresh
// program for each run. The program itself (form, keys, pauses, drawing)
// runs in workers; this script only shows pixels, passes bytes and offers
// the pictures as downloads (with page_windows.js, which explore.js shares).
'use strict';

(() => {
  const columns = 80;
  const rows = 25;
  const pagePadding = 16;      // the desktop's padding left and right, px
  const characterWidth = 0.61; // a monospace character's width, in font sizes

  // The largest font up to 15 px at which the terminal fits the page's
  // width (15 px on a desktop), but never below 12 px, where it could no
  // longer be read: on a phone the terminal scrolls sideways instead (in
  // its own box: the page itself stays as wide as the screen).
  function TerminalFontSize() {
    const room = document.documentElement.clientWidth - pagePadding;
    return Math.max(12, Math.min(15, Math.floor(room / columns / characterWidth)));
  }

  const terminal = new Terminal({
    cols: columns,
    rows: rows,
    fontFamily: 'DejaVu Sans Mono, Liberation Mono, monospace',
    fontSize: TerminalFontSize(),
    cursorStyle: 'underline',
    theme: { background: '#000000', foreground: '#c0c0c0' },
  });
  terminal.open(document.getElementById('terminal'));
  terminal.focus();
  window.addEventListener('resize', () => { terminal.options.fontSize = TerminalFontSize(); });

  const windowsArea = document.getElementById('windows');
  const ended = document.getElementById('ended');
  const endedText = document.getElementById('ended-text');
  const restartButton = document.getElementById('restart');
  const encoder = new TextEncoder();

  let program = null;    // the running instance, once it can take keys
  let running = false;   // between start and end of a run
  let heldKeys = [];     // keys typed before the instance could take them
  const canvases = new Map();  // window number -> its figure
  let nextWindow = 1;

  function FileName(caption) {
    return (caption.toLowerCase().replace(/[^a-z0-9]+/g, '-') || 'window') + '.png';
  }

  function SavePicture(canvas, caption) {
    canvas.toBlob((blob) => PageWindows.DownloadBlob(blob, FileName(caption)), 'image/png');
  }

  // What the program calls (through its workers, on this thread).
  const page = {
    writeTerminal(bytes) { terminal.write(bytes); },

    openWindow(caption, width, height) {
      const figure = document.createElement('figure');
      figure.className = 'window';
      const { title, canvas } = PageWindows.Parts(figure, caption, width, height, () => SavePicture(canvas, caption));
      title.lang = 'de';  // the program's captions are German
      windowsArea.append(figure);
      const number = nextWindow++;
      canvases.set(number, { figure, context: canvas.getContext('2d') });
      return number;
    },

    paintWindow(number, x, y, width, height, bytes) {
      const shown = canvases.get(number);
      if (!shown) return;
      const pixels = new ImageData(new Uint8ClampedArray(bytes.buffer), width, height);
      shown.context.putImageData(pixels, x, y);
    },

    closeWindow(number) {
      const shown = canvases.get(number);
      if (!shown) return;
      shown.figure.remove();
      canvases.delete(number);
    },
  };

  function SendKeys(bytes) {
    program.ccall('magpend_key_bytes', null, ['array', 'number'], [bytes, bytes.length]);
  }

  function Ended(text) {
    if (!running) return;
    running = false;
    program = null;
    for (const number of [...canvases.keys()]) page.closeWindow(number);
    endedText.textContent = text + ' Press Enter in the terminal, or the button, to start it again.';
    ended.hidden = false;
    document.body.dataset.state = 'ended';
    terminal.focus();
  }

  // Without cross-origin isolation there is no shared memory, so no
  // program: isolation.js reloads the page or says why it cannot run.
  function Start() {
    if (running || !crossOriginIsolated) return;
    running = true;
    ended.hidden = true;
    document.body.dataset.state = 'running';
    heldKeys = [];
    terminal.reset();
    terminal.focus();
    createMagpend({
      magpendPage: page,
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
      onExit: (status) => Ended(`magpend has ended (exit status ${status}).`),
      onAbort: (what) => Ended(`magpend has stopped: ${what}.`),
    }).then((instance) => {
      if (!running) return;
      program = instance;
      for (const bytes of heldKeys) SendKeys(bytes);
      heldKeys = [];
    });
  }

  terminal.onData((data) => {
    if (!running) {
      if (data === '\r') Start();
      return;
    }
    const bytes = encoder.encode(data);
    if (program) SendKeys(bytes); else heldKeys.push(bytes);
  });
  restartButton.addEventListener('click', Start);

  Start();
})();
