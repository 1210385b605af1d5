#!/usr/bin/env python3
"""make-zip.py ZIP UNIX_TIME BASE_DIR MEMBER...: writes ZIP holding BASE_DIR/MEMBER under the name MEMBER,
in the order given, every entry stamped with UNIX_TIME and the same permissions, so that equal files
give an equal zip."""
import sys
import time
import zipfile


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    target, stamp, base, members = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]
    # Zip times are local times of day from 1980 on, with two-second steps; UTC keeps them independent
    # of the machine's zone.
    date_time = time.gmtime(max(stamp, 315532800))[:6]
    with zipfile.ZipFile(target, "w", compression=zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for member in members:
            info = zipfile.ZipInfo(member, date_time=date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(f"{base}/{member}", "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)


if __name__ == "__main__":
    main()
