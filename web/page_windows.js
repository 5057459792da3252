// What the page's two scripts share (page.js for the form's program,
// explore.js for the explorer's): a program window's parts, its caption over
// its canvas with a "Save PNG" button below, and the downloads of what a
// program saves (the program's platform layer hands each file it writes to
// Download, as a desktop program writes it to a folder).
'use strict';

const PageWindows = (() => {
  function DownloadBlob(blob, name) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  // A file the program writes: a picture's RGBA pixels (width and height
  // given), made a PNG here, or any other file's bytes as they are.
  function Download(name, bytes, width, height) {
    if (!width) {
      DownloadBlob(new Blob([bytes]), name);
      return;
    }
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    canvas.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(bytes.buffer), width, height), 0, 0);
    canvas.toBlob((blob) => DownloadBlob(blob, name), 'image/png');
  }

  // A window's parts in `container`: its caption, its canvas of width x
  // height pixels (labelled with the caption), and a Save PNG button that
  // calls `save`.
  function Parts(container, caption, width, height, save) {
    const title = document.createElement('h2');
    title.textContent = caption;
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    canvas.setAttribute('aria-label', caption);
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = 'Save PNG';
    button.addEventListener('click', save);
    container.append(title, canvas, button);
    return { title, canvas };
  }

  return { DownloadBlob, Download, Parts };
})();
