#!/usr/bin/python3
"""Regenerates the production's music and timeline from the sources in this folder.

    /usr/bin/python3 content/generate.py             # both files into resources/
    /usr/bin/python3 content/generate.py --timeline  # only resources/Brannoch.mid

The same sources give byte-identical files on the same Debian packages.
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import song as song_module  # noqa: E402
import timeline  # noqa: E402

AUDIO_NAME = "brannoch-edit-2bar.ogg"
TIMELINE_NAME = "Brannoch.mid"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.normpath(os.path.join(HERE, "..", "resources")),
                        help="folder to write into (default: resources/)")
    parser.add_argument("--timeline", action="store_true", help="write only the timeline")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)

    timeline.write_timeline(os.path.join(args.out, TIMELINE_NAME))
    print(f"wrote {os.path.join(args.out, TIMELINE_NAME)}")
    if args.timeline:
        return
    import render  # needs numpy and the synthesizer, which the timeline does not
    song = song_module.compose()
    render.render_song(song, os.path.join(args.out, AUDIO_NAME), print)
    print(f"wrote {os.path.join(args.out, AUDIO_NAME)}")


if __name__ == "__main__":
    main()
