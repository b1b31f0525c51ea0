#!/usr/bin/env bash
# Runs one sound program (tests/sound/NAME.tmk) through tests/run_program.sh
# after making the media it plays in a folder of its own:
#   a.wav  200 ms of 16-bit mono PCM at 8000 Hz (always)
#   b.ogg  about 300 ms of Vorbis, when NAME.needs names "ogg"
#   c.mid  a few notes, when NAME.needs names "midi"
# A case whose media or plug-ins this machine lacks is skipped (status 77).
# With a third argument "window" the program runs with the window (offscreen)
# and must print the same.
set -u
bin=$1; prog=$2; mode=${3:-}
dir=$(dirname "$prog"); name=$(basename "$prog" .tmk)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$dir/$name".* "$work/"
needs=""; [ -f "$dir/$name.needs" ] && needs=$(cat "$dir/$name.needs")
has() { command -v gst-inspect-1.0 >/dev/null && gst-inspect-1.0 "$1" >/dev/null 2>&1; }
/usr/bin/python3 - "$work" <<'PY' || { echo "cannot make the wave file"; exit 1; }
import math, struct, sys, wave
w = wave.open(sys.argv[1] + "/a.wav", "wb")
w.setnchannels(1); w.setsampwidth(2); w.setframerate(8000)
w.writeframes(b"".join(struct.pack("<h", int(3000 * math.sin(i / 5))) for i in range(1600)))
w.close()
PY
case " $needs " in *" ogg "*)
  if ! command -v gst-launch-1.0 >/dev/null || ! has vorbisenc || ! has oggmux || ! has vorbisdec; then
    echo "skipped: no Vorbis encoder and decoder (gstreamer1.0-plugins-base, gstreamer1.0-tools)"; exit 77
  fi
  gst-launch-1.0 -q audiotestsrc num-buffers=13 ! audioconvert ! vorbisenc ! oggmux ! \
    filesink location="$work/b.ogg" >/dev/null 2>&1 || { echo "cannot make the Vorbis file"; exit 1; }
esac
case " $needs " in *" midi "*)
  if ! has midiparse || ! has fluiddec; then
    echo "skipped: no MIDI playback (gstreamer1.0-plugins-bad with fluiddec, fluid-soundfont-gm)"; exit 77
  fi
  /usr/bin/python3 - "$work" <<'PY'
import struct, sys
track = b""
for note in (60, 64, 67):
    track += bytes([0x00, 0x90, note, 0x60, 0x60, 0x80, note, 0x40])
track += bytes([0x00, 0xFF, 0x2F, 0x00])
with open(sys.argv[1] + "/c.mid", "wb") as f:
    f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 96))
    f.write(b"MTrk" + struct.pack(">I", len(track)) + track)
PY
esac
if [ "$mode" = window ]; then
  echo "--window --events /dev/null PROG" > "$work/$name.args"
  export QT_QPA_PLATFORM=offscreen
fi
exec "$here/../run_program.sh" "$bin" "$work/$name.tmk"
