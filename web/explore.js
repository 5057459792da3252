// The explorer in the page: "Explore" beside the terminal runs `magpend
// explore` with the options in the field beside it, in a program instance
// of its own (the form in the terminal goes on as it is), with the results
// of the default first view that came with the page. Its window is a
// canvas that takes the pointer (a tap is a click), the wheel and the keys
// while it has the focus, and hands them to the program's worker; the
// program draws its status line and help into the canvas itself, and its
// lines (view:, start, ...) are shown under it. On a touch screen two
// fingers are the wheel and the arrow keys (touch_gestures.js). S (and the
// Save PNG button, which is S) and P are the program's own: what it writes
// comes here as a download (page_windows.js), explore-NNN.png the view as
// it stands without the status line, explore-NNN.toml its values.
'use strict';

(() => {
  const exploreButton = document.getElementById('explore');
  const optionsField = document.getElementById('explore-options');
  const windowsArea = document.getElementById('windows');
  const linesKept = 100;  // the program's last lines, shown under its canvas
  let explorer = null;    // the running explorer
  // The first view's results, computed when the page was built: each
  // explorer gets them as its known results (magpend explore --known), so
  // that the first view is there at once. Without them it computes it all.
  const knownFile = '/first-view.results';
  const firstViewResults = fetch('first-view.results')
    .then((response) => (response.ok ? response.arrayBuffer() : null))
    .catch(() => null);

  // The canvas pixel under a pointer event (the canvas may be shown scaled).
  function CanvasPoint(canvas, event) {
    const box = canvas.getBoundingClientRect();
    return [Math.floor((event.clientX - box.left) * canvas.width / box.width),
            Math.floor((event.clientY - box.top) * canvas.height / box.height)];
  }

  // One explorer: its panel, its program and its canvas.
  function Explorer(words) {
    const panel = document.createElement('figure');
    panel.className = 'window explorer';
    const lines = document.createElement('pre');
    lines.className = 'explore-lines';
    lines.setAttribute('aria-label', 'Explorer output');
    Object.assign(lines.style, { margin: '4px 0 0', whiteSpace: 'pre-wrap', maxHeight: '10em', overflowY: 'auto' });
    panel.append(lines);
    windowsArea.prepend(panel);

    let canvas = null;
    let number = 0;         // the page's number of the canvas
    let pointer = [0, 0];   // where the pointer was last
    let wheelTurned = 0;    // wheel notches not yet sent
    // Two fingers: a pinch is wheel notches about their centre, a drag the
    // arrow keys; the canvas pixel of an event as the program counts them.
    const gestures = TouchGestures({
      point: (event) => CanvasPoint(canvas, event),
      side: () => canvas.width,
      wheel: (notches, x, y) => Call('magpend_page_wheel', ['number', 'number', 'number'], [notches, x, y]),
      key: (key) => Call('magpend_page_key', ['string', 'number', 'number'], [key, ...pointer]),
      pointer: (type, x, y) => Call('magpend_page_pointer', ['string', 'number', 'number', 'number'], [type, 0, x, y]),
    });

    const module = {
      arguments: ['explore', ...words],
      magpendPage: {
        writeTerminal() {},
        download: PageWindows.Download,
        openWindow: OpenWindow,
        paintWindow(shown, x, y, width, height, bytes) {
          if (shown !== number) return;
          const pixels = new ImageData(new Uint8ClampedArray(bytes.buffer), width, height);
          canvas.getContext('2d').putImageData(pixels, x, y);
        },
        closeWindow(shown) {
          if (shown !== number) return;
          canvas.parentElement.remove();
          number = 0;
        },
      },
      print: Say,
      printErr: Say,
      onExit: (status) => Ended(`magpend explore has ended (exit status ${status}).`),
      onAbort: (what) => Ended(`magpend explore has stopped: ${what}.`),
    };

    function Say(text) {
      lines.textContent = (lines.textContent + text + '\n').split('\n').slice(-linesKept - 1).join('\n');
      lines.scrollTop = lines.scrollHeight;
    }

    function Ended(text) {
      if (explorer !== self) return;
      explorer = null;
      if (number) module.magpendPage.closeWindow(number);
      Say(text);
      panel.dataset.state = 'ended';
    }

    function Call(name, types, values) {
      if (number) module.ccall(name, null, ['number', ...types], [number, ...values]);
    }

    function OnPointer(event) {
      if (event.type === 'pointerdown') {
        canvas.focus();
        canvas.setPointerCapture(event.pointerId);  // the release comes here, wherever it is
      }
      if (gestures.Takes(event)) return;
      pointer = CanvasPoint(canvas, event);
      Call('magpend_page_pointer', ['string', 'number', 'number', 'number'],
           [event.type, event.button, ...pointer]);
    }

    // A notch is 100 pixels (Chromium's), 3 lines or a page; half a notch
    // or more counts as one, so a wheel's click is one however the browser
    // measures it, and a touchpad's small turns add up.
    function OnWheel(event) {
      event.preventDefault();
      const notch = [100, 3, 1][event.deltaMode];
      wheelTurned -= event.deltaY / notch;  // negative deltaY: turned away from the user
      if (Math.abs(wheelTurned) < 0.5) return;
      const notches = Math.sign(wheelTurned) * Math.max(1, Math.round(Math.abs(wheelTurned)));
      wheelTurned = 0;
      Call('magpend_page_wheel', ['number', 'number', 'number'], [notches, ...CanvasPoint(canvas, event)]);
    }

    // Every key goes to the program but the browser's own: Tab, function
    // keys and those with Ctrl, Alt or Meta.
    function OnKey(event) {
      if (event.ctrlKey || event.altKey || event.metaKey) return;
      if (event.key === 'Tab' || /^F[0-9]+$/.test(event.key)) return;
      event.preventDefault();
      Call('magpend_page_key', ['string', 'number', 'number'], [event.key, ...pointer]);
    }

    function OpenWindow(caption, width, height, takesInput) {
      const figure = document.createElement('div');
      // Save PNG is the program's S: it saves the view and says so.
      ({ canvas } = PageWindows.Parts(figure, caption, width, height,
                                      () => Call('magpend_page_key', ['string', 'number', 'number'], ['s', ...pointer])));
      canvas.tabIndex = 0;
      canvas.style.touchAction = 'none';  // drags, taps and pinches are the program's, not scrolling
      const close = document.createElement('button');
      close.type = 'button';
      close.textContent = 'Close';
      close.addEventListener('click', () => Call('magpend_page_close', [], []));
      figure.append(' ', close);
      panel.prepend(figure);
      if (takesInput) {
        for (const type of ['pointerdown', 'pointerup', 'pointermove']) canvas.addEventListener(type, OnPointer);
        canvas.addEventListener('contextmenu', (event) => event.preventDefault());
        canvas.addEventListener('wheel', OnWheel, { passive: false });
        canvas.addEventListener('keydown', OnKey);
      }
      canvas.focus();
      number = 1;
      return number;
    }

    const self = { panel, Focus: () => canvas && canvas.focus() };
    explorer = self;
    panel.dataset.state = 'running';
    firstViewResults.then((bytes) => {
      if (bytes) {
        module.arguments.splice(1, 0, '--known', knownFile);
        module.preRun = [() => module.FS.writeFile(knownFile, new Uint8Array(bytes))];
      }
      createMagpend(module);
    });
    return self;
  }

  exploreButton.addEventListener('click', () => {
    if (explorer) {
      explorer.Focus();
      return;
    }
    for (const old of windowsArea.querySelectorAll('.explorer')) old.remove();
    Explorer(optionsField.value.split(/\s+/).filter((word) => word !== ''));
  });
})();
