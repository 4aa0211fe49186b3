#!/usr/bin/env python3
"""Packs files into a zip that comes out the same, byte for byte, from the same
inputs: the entries in the order given, every one with the same date and the
same attributes, deflated at a fixed level. Nothing of the packing machine (file
dates, permissions, owner, host system) reaches the archive.

  make_zip.py [--epoch SECONDS] OUT.zip NAME=PATH...

The entries' date is --epoch (seconds since 1970, UTC; the release uses the
commit's time), else 1980-01-01 00:00, the earliest date a zip entry holds.
"""
import argparse
import time
import zipfile

ZIP_EARLIEST = 315532800  # 1980-01-01 00:00:00 UTC
FILE_ATTRIBUTE_ARCHIVE = 0x20


def entry_date(epoch):
    # A zip date has two-second steps and ends in 2107.
    moment = time.gmtime(max(epoch, ZIP_EARLIEST))
    return (min(moment.tm_year, 2107), moment.tm_mon, moment.tm_mday,
            moment.tm_hour, moment.tm_min, moment.tm_sec // 2 * 2)


def make_zip(out, entries, epoch=ZIP_EARLIEST):
    date = entry_date(epoch)
    with zipfile.ZipFile(out, "w") as archive:
        for name, path in entries:
            info = zipfile.ZipInfo(name, date_time=date)
            info.create_system = 0  # MS-DOS attributes, as Windows writes them
            info.external_attr = FILE_ATTRIBUTE_ARCHIVE
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as data:
                archive.writestr(info, data.read(), compresslevel=9)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--epoch", type=int, default=ZIP_EARLIEST)
    parser.add_argument("out")
    parser.add_argument("entries", nargs="+", metavar="NAME=PATH")
    args = parser.parse_args()
    make_zip(args.out, [entry.split("=", 1) for entry in args.entries], args.epoch)


if __name__ == "__main__":
    main()
