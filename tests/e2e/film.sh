#!/usr/bin/env bash
# Films through the real ffmpeg:
#  - an MP4 (H.264) and a WebM (VP9) come out at the size and with the
#    frames asked for, from the same frames; a sweep of m, and of a
#    magnet's place with friction, too;
#  - a frame (of a zoom or a sweep) is byte for byte the picture of the
#    `magpend map` command that --print-frame prints;
#  - a film started again computes only its missing, damaged and foreign
#    frames; a folder of another film is refused and left as it was;
#    --frame-range makes only its frames and no video; --encode refuses a
#    folder with a gap or a foreign frame;
#  - without ffmpeg, with a wrong value or with a place that cannot be
#    written: exit code 2, one line, nothing computed or written;
#  - Ctrl+C during a film, its progress line showing, keeps the frames
#    finished and leaves no partial file.
# Usage: film.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-film-$$"
source "$(dirname "$0")/lib.bash"
cd "$work"

film=("$binary" film --size 64x36 --frames 6 --n 300 --from 0:0:220 --to 28:2:10)
frame() { printf '%s/%06d.png' "$1" "$2"; }
inode() { stat -c %i "$1"; }
# video_is FILE CODEC [FRAMES]: the video's codec, size and number of
# frames (6 when not given).
video_is() {
  local stream
  stream=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=codec_name,width,height,pix_fmt,nb_read_frames -of csv=p=0 "$1")
  [ "$stream" = "$2,64,36,yuv420p,${3:-6}" ] || fail "$1 is $stream, not $2 64 x 36 in ${3:-6} frames"
}

"${film[@]}" -o zoom.mp4
video_is zoom.mp4 h264
"${film[@]}" -o zoom.webm --frames-dir webm.frames
video_is zoom.webm vp9
for k in 0 1 2 3 4 5; do
  cmp -s "$(frame zoom.frames $k)" "$(frame webm.frames $k)" || fail "frame $k differs between the two films"
done
[ "$(ls zoom.frames)" = "$(printf '%s\n' 000000.png 000001.png 000002.png 000003.png 000004.png 000005.png film.txt)" ] ||
  fail "the frames folder holds $(ls zoom.frames)"

# Each frame is its printed map command's picture (the command's own -o
# overridden by a later one).
for k in 0 3 5; do
  command=$("${film[@]}" -o zoom.mp4 --print-frame $k)
  [[ "$command" == "magpend map --grid 64x36 --region "*" --n 300 -o $(frame zoom.frames $k)" ]] ||
    fail "frame $k's command: $command"
  eval "'$binary' ${command#magpend } -o direct$k.png"
  cmp -s "direct$k.png" "$(frame zoom.frames $k)" || fail "frame $k differs from its map command's picture"
done
cmp -s direct0.png direct3.png && fail "the zoom does not move"

# A sweep of the magnets' strength over one view: frame k is the map of
# its m.
sweep=("$binary" film -o sweep.webm --size 64x36 --frames 3 --n 300 --at 28:2:40 --sweep m:200:600)
"${sweep[@]}"
video_is sweep.webm vp9 3
for k in 0 2; do
  command=$("${sweep[@]}" --print-frame $k)
  [[ "$command" == *" --m $((200 + 200 * k)) --n 300 -o $(frame sweep.frames $k)" ]] || fail "sweep frame $k: $command"
  eval "'$binary' ${command#magpend } -o sweep$k.png"
  cmp -s "sweep$k.png" "$(frame sweep.frames $k)" || fail "sweep frame $k differs from its map command's picture"
done
# A pendulum of the user's own, magnet 2 moving: its frames name it.
moving=("$binary" film -o moving.webm --size 64x36 --frames 3 --n 300 --at 28:2:40 --friction 0.05
        --sweep magnet2.x:30:50 --frame-range 1:2)
"${moving[@]}"
command=$("${moving[@]}" --print-frame 1)
[[ "$command" == *' --n 300 --magnets="-42.42640687119285,0;40,30;30,-30" --friction 0.05 -o '* ]] ||
  fail "the moving magnet's frame 1: $command"
eval "'$binary' ${command#magpend } -o moving1.png"
cmp -s moving1.png "$(frame moving.frames 1)" || fail "the moving magnet's frame differs from its map command's picture"

# Started again: frame 2 gone, 3 cut short, 4 of another film; only those
# three are computed again, and come out as before.
"${film[@]}" --n 301 -o other.mp4 --frame-range 4:5
cp other.frames/000004.png zoom.frames/000004.png
rm zoom.frames/000002.png zoom.mp4
head -c 200 webm.frames/000003.png > zoom.frames/000003.png
kept=$(for k in 0 1 5; do inode "$(frame zoom.frames $k)"; done)
"${film[@]}" -o zoom.mp4
[ "$(for k in 0 1 5; do inode "$(frame zoom.frames $k)"; done)" = "$kept" ] || fail "whole frames were computed again"
for k in 2 3 4; do
  cmp -s "$(frame zoom.frames $k)" "$(frame webm.frames $k)" || fail "frame $k came out otherwise"
done
video_is zoom.mp4 h264

# Another film's values on this folder: refused, nothing touched.
before=$(ls -i zoom.frames)
status=0
"${film[@]}" --n 301 -o zoom.mp4 2> foreign.err || status=$?
[ "$status" = 2 ] && grep -qx "magpend: zoom.frames holds the frames of another film (its film.txt describes another)" foreign.err ||
  fail "a foreign folder: exit code $status, $(cat foreign.err)"
[ "$(ls -i zoom.frames)" = "$before" ] || fail "a foreign folder was changed"

# A frame range: its frames, no video, no ffmpeg needed; --encode refuses the gaps.
env PATH=/nonexistent "${film[@]}" -o part.mp4 --frame-range 2:4
[ "$(ls part.frames)" = "$(printf '%s\n' 000002.png 000003.png film.txt)" ] || fail "the range made $(ls part.frames)"
[ ! -e part.mp4 ] || fail "a frame range made a video"
status=0
"${film[@]}" -o part.mp4 --encode 2> gaps.err || status=$?
[ "$status" = 1 ] && grep -qx "magpend: part.frames/000000.png and 3 more frames missing, damaged or of another film; no video written" gaps.err ||
  fail "encoding a folder with gaps: exit code $status, $(cat gaps.err)"
[ -z "$(ls part.mp4* 2>/dev/null)" ] || fail "encoding a folder with gaps left $(ls part.mp4*)"
"${film[@]}" -o again.webm --frames-dir zoom.frames --encode
video_is again.webm vp9
cp -r zoom.frames foreign.frames
cp other.frames/000004.png foreign.frames/000004.png
status=0
"${film[@]}" -o foreign.mp4 --encode 2> foreign.err || status=$?
[ "$status" = 1 ] && grep -qx "magpend: foreign.frames/000004.png missing, damaged or of another film; no video written" foreign.err ||
  fail "encoding a folder with a foreign frame: exit code $status, $(cat foreign.err)"
[ -z "$(ls foreign.mp4* 2>/dev/null)" ] || fail "encoding a folder with a foreign frame left $(ls foreign.mp4*)"

# Refused before anything is computed: one line, exit code 2, no file.
touch plain-file
mkdir bad
leftovers=(bad/zoom.mp4 bad/zoom.frames)
env PATH=/nonexistent "${film[@]}" -o bad/zoom.mp4 2> ffmpeg.err && fail "a film without ffmpeg"
grep -qx "magpend: no ffmpeg on the PATH to make the video (Debian's package ffmpeg); nothing computed" ffmpeg.err ||
  fail "without ffmpeg: $(cat ffmpeg.err)"
[ ! -e bad/zoom.frames ] || fail "a film without ffmpeg made its folder"
check_refusals "${film[@]}" -o bad/zoom.mp4 <<'EOF'
--from 1:2|--from must be CX:CY:W, three finite numbers with W > 0
--to 28:2:0|--to must be CX:CY:W
--to 28:nan:1|--to must be CX:CY:W
--size 0x0|--size must be WxH, whole numbers from 2 to 8192, not '0x0'
--size 8200x36|--size must be WxH
--size 63x36|--size must be even on both sides for an MP4 (H.264 needs that), not '63x36'
--frames 0|--frames must be a whole number from 1 to 1000000, not '0'
--frame-range 4:7|--frame-range must be A:B with 0 <= A < B <= 6 (the film's frames), not '4:7'
--print-frame 6|--print-frame must be a whole number from 0 to 5
-o bad/zoom.gif|-o must name a .mp4 or .webm file, not 'bad/zoom.gif'
--frame-range 0:2 --encode|excludes
-o missing/zoom.mp4|cannot write missing/zoom.mp4
--frames-dir plain-file/frames|cannot make the frames folder plain-file/frames
--at 0:0:9 --sweep m:1:2|a film is a zoom (--from, --to) or a sweep (--at, --sweep), not both
--sweep colour:1:2|--sweep must be NAME:A:B with NAME g, m, friction
EOF

# Ctrl+C while a film is computed: the progress line on the terminal, then
# a clean stop that keeps the finished frames, whole, and nothing else.
mkdir big
start_shell
tmux_ send-keys -t "$pane" "clear; cd big; '$binary' film -o big.mp4 --size 320x180 --frames 40 --from 0:0:220 --to 28:2:10; echo \"exit code \$?\"" Enter
wait_for "magpend film: [0-9]+ of 40 frames, +[0-9]+%, about .* left" 180
tmux_ send-keys -t "$pane" C-c
wait_for "^exit code 130$" 60
screen | grep -qx "magpend: stopped; the frames finished stay in big.frames *" || fail "no word of the stop"
[ -z "$(ls big | grep -v '^big.frames$')" ] || fail "Ctrl+C left $(ls big)"
ls big/big.frames | grep -qvE '^([0-9]{6}\.png|film\.txt)$' && fail "Ctrl+C left $(ls big/big.frames)"
finished=$(ls big/big.frames | grep -c '\.png$' || true)
[ "$finished" -ge 1 ] && [ "$finished" -lt 40 ] || fail "$finished frames finished"
for picture in big/big.frames/*.png; do
  pngtopnm "$picture" > /dev/null 2>&1 || fail "$picture is not whole"
done
echo "film: passed"
