#!/usr/bin/env bash
# Makes the sample media in the folder given (once; existing files are
# kept) and, when WINEPREFIX names a Wine prefix, maps its drive F: to it, so
# the dialog's default path F:\Ref_movies\Storage\AAC\Track No01.mp4 plays.
# The same commit makes the same bytes (they go into the release zip): the
# noise comes from a seeded generator, the MP4's time stamps are cleared.
# With the path of MakeSampleGraph.exe as second argument it also saves the
# graph of the 1 kHz WAV (through the level filter) as a saved graph.
set -euo pipefail
out="$1"
scripts="$(dirname "${BASH_SOURCE[0]}")"
mkdir -p "$out/Ref_movies/Storage/AAC"
make() {
    local file="$out/$1"
    shift
    [ -s "$file" ] && return 0
    gst-launch-1.0 -q "$@" filesink location="$file" || { rm -f "$file"; echo "could not make $file" >&2; exit 1; }
}
tone() {  # seconds, frequency, volume, channels
    echo "audiotestsrc num-buffers=$(($1 * 10)) samplesperbuffer=4800 freq=$2 volume=$3 ! audio/x-raw,rate=48000,channels=$4"
}
make "Ref_movies/Storage/AAC/Track No01.mp4" $(tone 5 1000 0.5 2) ! avenc_aac ! mp4mux !
python3 "$scripts/fix_mp4_times.py" "$out/Ref_movies/Storage/AAC/Track No01.mp4"
make "sine-1kHz-minus6dB.wav" $(tone 5 1000 0.5 1),format=S16LE ! wavenc !
make "stereo-left-minus6dB-right-minus20dB.wav" \
    $(tone 5 1000 0.5 1),format=F32LE ! mix.sink_0 $(tone 5 1000 0.1 1),format=F32LE ! mix.sink_1 \
    audiointerleave name=mix ! audioconvert ! audio/x-raw,format=S16LE ! wavenc !
[ -s "$out/pink-noise.wav" ] || python3 "$scripts/make_pink_noise.py" "$out/pink-noise.wav" 5
make "six-channels.wav" $(tone 5 440 0.3 6),format=S16LE ! wavenc !
make "video-with-tone.avi" $(tone 5 1000 0.5 2),format=S16LE ! mux. \
    videotestsrc num-buffers=75 ! video/x-raw,width=320,height=240,framerate=15/1 ! jpegenc ! avimux name=mux !
[ -z "${WINEPREFIX:-}" ] || ln -sfn "$out" "$WINEPREFIX/dosdevices/f:"
if [ -n "${2:-}" ] && [ ! -s "$out/sine-1kHz-minus6dB.grf" ]; then
    wine "$2" 'F:\sine-1kHz-minus6dB.wav' 'F:\sine-1kHz-minus6dB.grf' ||
        { rm -f "$out/sine-1kHz-minus6dB.grf"; echo "could not make the saved graph" >&2; exit 1; }
fi
