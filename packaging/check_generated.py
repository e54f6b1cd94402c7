#!/usr/bin/env python3
"""Fails when a committed file that a script generates differs from what the script makes now:
packaging/sorea.bat (make_batch.py) and the guide packaging/readme.txt (make_guide.py from
docs/使い方.md). Also fails when the guide does not state the version in VERSION.

    python3 packaging/check_generated.py        # from the repository's root
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_batch  # noqa: E402
import make_guide  # noqa: E402


def main():
    with open("docs/使い方.md", encoding="utf-8") as f:
        guide = f.read()
    with open("VERSION", encoding="utf-8") as f:
        version = f.read().strip()
    problems = []
    for path, data, command in [
        ("packaging/sorea.bat", make_batch.batch_bytes(),
         "python3 packaging/make_batch.py packaging/sorea.bat"),
        ("packaging/readme.txt", make_guide.guide_bytes(guide),
         "python3 packaging/make_guide.py docs/使い方.md packaging/readme.txt"),
    ]:
        with open(path, "rb") as f:
            if f.read() != data:
                problems.append(f"{path} is stale: run {command}")
    with open("packaging/readme.txt", "rb") as f:
        wide = [line for line in f.read().split(b"\r\n") if len(line) > make_guide.WIDTH]
    for line in wide:
        problems.append(f"packaging/readme.txt: over {make_guide.WIDTH} columns: "
                        + line.decode("cp932", "replace"))
    if f"バージョン {version}" not in guide:
        problems.append(f"docs/使い方.md does not say バージョン {version}")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
