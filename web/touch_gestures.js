// Two fingers on the explorer's canvas, turned into the input the program
// already knows: a pinch is wheel notches about the fingers' centre, one
// for each doubling or halving of their distance (the explorer's zoom
// steps), and a drag of both is an arrow key for each quarter of the view
// they move (the view follows the fingers). One finger stays the pointer:
// its press is held back until it moves or lifts, so that a second finger
// coming down at once makes a gesture, never a drag or a click.
'use strict';

// hooks: point(event) its canvas pixel [x, y]; side() the view's side in
// canvas pixels; wheel(notches, x, y), key(name) and pointer(type, x, y)
// hand input to the program. Returns { Takes(event) }: true when the
// pointer event is the gesture's (or held back), false when it goes on to
// the program as it is.
function TouchGestures(hooks) {
  const clickSlack = 3;     // canvas pixels: as the program tells a click from a drag
  const touches = new Map();  // pointer id -> canvas pixel, of the fingers down
  let mode = 'none';        // 'held': one finger, its press not yet sent; 'one': sent; 'two': a gesture
  let first = null;         // the first finger: { id, at }
  let reference = null;     // the gesture's distance and centre at its last step

  function Fingers() {
    const [a, b] = [...touches.values()];
    return { distance: Math.hypot(b[0] - a[0], b[1] - a[1]), centre: [(a[0] + b[0]) / 2, (a[1] + b[1]) / 2] };
  }

  function Step() {
    const now = Fingers();
    const [x, y] = now.centre.map(Math.round);
    for (; now.distance >= 2 * reference.distance; reference.distance *= 2) hooks.wheel(1, x, y);
    for (; now.distance > 0 && now.distance <= reference.distance / 2; reference.distance /= 2) hooks.wheel(-1, x, y);
    const quarter = hooks.side() / 4;
    const moves = [[0, 'ArrowLeft', 'ArrowRight'], [1, 'ArrowUp', 'ArrowDown']];
    for (const [axis, along, against] of moves) {
      for (; now.centre[axis] - reference.centre[axis] >= quarter; reference.centre[axis] += quarter) hooks.key(along);
      for (; reference.centre[axis] - now.centre[axis] >= quarter; reference.centre[axis] -= quarter) hooks.key(against);
    }
  }

  function Down(event, at) {
    touches.set(event.pointerId, at);
    if (touches.size === 1 && mode === 'none') {
      mode = 'held';
      first = { id: event.pointerId, at };
    } else if (touches.size === 2 && mode === 'held') {
      mode = 'two';
      reference = Fingers();
    }
    return true;
  }

  function Move(event, at) {
    if (!touches.has(event.pointerId)) return true;
    touches.set(event.pointerId, at);
    if (mode === 'two' && touches.size >= 2) Step();
    if (mode === 'held' && Math.max(Math.abs(at[0] - first.at[0]), Math.abs(at[1] - first.at[1])) > clickSlack) {
      hooks.pointer('pointerdown', ...first.at);
      mode = 'one';
    }
    return !(mode === 'one' && event.pointerId === first.id);
  }

  function Up(event) {
    if (!touches.delete(event.pointerId)) return true;
    const firstLifted = event.pointerId === first?.id;
    if (mode === 'held') hooks.pointer('pointerdown', ...first.at);  // a tap: the press, then this release
    const passed = (mode === 'held' || mode === 'one') && firstLifted;
    if (passed || touches.size === 0) mode = 'none';
    return !passed;
  }

  return {
    Takes(event) {
      if (event.pointerType !== 'touch') return false;
      const at = hooks.point(event);
      if (event.type === 'pointerdown') return Down(event, at);
      if (event.type === 'pointermove') return Move(event, at);
      return Up(event);
    },
  };
}
