#!/usr/bin/env python3
"""Collects what a user downloads into one folder: the installer, the program and its
movie, a portable zip of the program, the movie and a short text on installing by hand,
and SHA256SUMS over all of them.

The zip is the same byte for byte from the same inputs: its entries are sorted, and
each carries the time SOURCE_DATE_EPOCH (--epoch) and the same attributes.

  tools/dist/make_dist.py --out DIR --version 1.0.0 --epoch SECONDS --program WattDial.scr
      --movie earth.swf --installer WattDial-Setup.exe --readme installer/portable-README.txt
"""

import argparse
import hashlib
import pathlib
import shutil
import time
import zipfile


def zip_entry(name, epoch):
    # Zip times are local times of 2-second steps from 1980 on; the epoch is read as UTC.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    entry = zipfile.ZipInfo(name, date_time=stamp)
    entry.compress_type = zipfile.ZIP_DEFLATED
    entry.create_system = 3  # Unix, so that the attributes below are read
    entry.external_attr = 0o100644 << 16
    return entry


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("out", "version", "program", "movie", "installer", "readme"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--epoch", type=int, required=True)
    args = parser.parse_args()

    out = pathlib.Path(args.out)
    if out.exists():
        shutil.rmtree(out)
    out.mkdir(parents=True)
    program, movie, installer = (pathlib.Path(p) for p in (args.program, args.movie, args.installer))
    for source in (program, movie, installer):
        shutil.copyfile(source, out / source.name)

    # The text opens in Notepad on any Windows: UTF-8 with a byte order mark, CRLF lines.
    readme = pathlib.Path(args.readme).read_text(encoding="utf-8")
    readme = "\ufeff" + readme.replace("\r\n", "\n").replace("\n", "\r\n")
    folder = "WattDial"
    entries = {
        f"{folder}/WattDial.scr": program.read_bytes(),
        f"{folder}/earth.swf": movie.read_bytes(),
        f"{folder}/README.txt": readme.encode("utf-8"),
    }
    portable = out / f"WattDial-{args.version}-x64.zip"
    with zipfile.ZipFile(portable, "w") as archive:
        for name in sorted(entries):
            archive.writestr(zip_entry(name, args.epoch), entries[name], compresslevel=9)

    sums = []
    for path in sorted(out.iterdir()):
        sums.append(f"{hashlib.sha256(path.read_bytes()).hexdigest()}  {path.name}\n")
    (out / "SHA256SUMS").write_text("".join(sums), encoding="ascii", newline="\n")


if __name__ == "__main__":
    main()
