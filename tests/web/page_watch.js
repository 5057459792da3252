// What the page test and the page's benchmark look for in the page: the
// form's labels as the terminal shows them, and, installed in the page
// before its own script (page.evaluateOnNewDocument(WatchPaints)), the
// moment each window's canvas appears (window.opened) and the moment of its
// latest paint (window.lastPaint), by the window's title.
'use strict';

const formLabels = ['Startposition     x: ', 'Startposition     y: ', 'Pendelkoeffizient g: ',
                    'Magnetstärke      m: ', 'Verzögerung       v: ', 'Versuchszahl      n: '];

function WatchPaints() {
  window.opened = {};
  window.lastPaint = {};
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    window.lastPaint[this.canvas.getAttribute('aria-label')] = performance.now();
    return put.apply(this, args);
  };
  new MutationObserver((records) => {
    for (const record of records) {
      for (const node of record.addedNodes) {
        const canvas = node.querySelector && (node.matches('canvas') ? node : node.querySelector('canvas'));
        if (canvas) window.opened[canvas.getAttribute('aria-label')] = performance.now();
      }
    }
  }).observe(document, { childList: true, subtree: true });
}

module.exports = { formLabels, WatchPaints };
