#!/usr/bin/env bash
# Makes the compressed and video media the tests play, in the folder given.
# Each file is about 1 s: playback is real time.
set -euo pipefail
out="$1"
mkdir -p "$out"
tone='audiotestsrc num-buffers=20 samplesperbuffer=2205 freq=1000 volume=0.5 ! audio/x-raw,rate=44100,channels=2'
low='audiotestsrc num-buffers=20 samplesperbuffer=2205 freq=440 volume=0.1 ! audio/x-raw,rate=44100,channels=2,format=S16LE'
video='videotestsrc num-buffers=15 ! video/x-raw,width=160,height=120,framerate=15/1 ! jpegenc'
make() {
    local name="$1"
    shift
    gst-launch-1.0 -q "$@" || { echo "could not make $name" >&2; exit 1; }
}
make tone.mp3 $tone ! lamemp3enc ! filesink location="$out/tone.mp3"
make tone.flac $tone ! flacenc ! filesink location="$out/tone.flac"
make tone.m4a $tone ! avenc_aac ! mp4mux ! filesink location="$out/tone.m4a"
make video-and-audio.avi $video ! avimux name=mux ! filesink location="$out/video-and-audio.avi" $tone,format=S16LE ! mux.
make video-only.avi $video ! avimux ! filesink location="$out/video-only.avi"
make two-audio-streams.avi avimux name=mux ! filesink location="$out/two-audio-streams.avi" \
    $tone,format=S16LE ! mux. $low ! mux.
