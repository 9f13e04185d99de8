#!/usr/bin/env python3
"""The master switch's write-back, checked against another property-list implementation.

Python's plistlib writes random settings files, XML or binary, as another process would;
the device boots with each, byte for byte, and the tweak writes it back on
com.brel.tessaro.setDisabled (writeback-driver, one device a process); plistlib reads the
result. Every key but isEnabled must come back of the same kind with the same value (reals
bit for bit), and isEnabled as NO; or else the device refused the file, and then it must be
byte for byte as it was, and hold something the device does not keep (an integer above
INT64_MAX, a string with a NUL). A few fixed files go first in every run, at the edges of
what a write-back once lost (dates before the year 1000, integers below INT64_MIN, carriage
returns, characters XML cannot carry), the XML ones plistlib would not write by hand.

Each run takes a fresh seed unless given one, and prints it: --seed S reruns the same
cases, --case N just one of them, --keep DIR leaves the files of failed cases there.
Exit status 0 when every case passes, 1 when one fails, 2 for bad arguments.
"""

import argparse
import concurrent.futures
import datetime
import os
import plistlib
import random
import shutil
import struct
import subprocess
import sys
import tempfile

INT64_MIN = -(1 << 63)
INT64_MAX = (1 << 63) - 1
UINT64_MAX = (1 << 64) - 1
EPOCH = datetime.datetime(2001, 1, 1)
FIRST_DATE = datetime.datetime(1, 1, 1)
LAST_DATE = datetime.datetime(9999, 12, 31, 23, 59, 59)

# Keys the tweak reads, so that some values land where the tweak looks.
TWEAK_KEYS = ["wakeMode", "motionSenstivity", "bgTessaroColor", "vibrationDuration", "tapToWakeMode"]

# Characters XML 1.0 cannot hold; plistlib refuses to write the controls into XML.
XML_FORBIDDEN = {chr(c) for c in range(0x20) if c not in (0x09, 0x0A, 0x0D)} | {"\ufffe", "\uffff"}


def real_from_bits(bits):
    return struct.unpack(">d", struct.pack(">Q", bits))[0]


def bits_of(real):
    return struct.pack(">d", real)


class Settings:
    """Random settings dictionaries, of every kind plistlib writes, edges included."""

    def __init__(self, rng, xml):
        self.rng = rng
        self.xml = xml
        self.beyond_device = False  # holds what the device refuses to read

    def character(self):
        rng = self.rng
        pool = rng.randrange(10)
        if pool < 3:
            c = chr(rng.randrange(0x20, 0x7F))
        elif pool == 3:
            c = rng.choice("\t\n\r<>&]\"' ")
        elif pool == 4:
            c = chr(rng.randrange(0x01, 0x20)) if rng.random() < 0.99 else "\0"
        elif pool == 5:
            c = chr(rng.randrange(0x7F, 0x100))
        elif pool == 6:
            c = rng.choice(["\ufffe", "\uffff", "\ufffd", "\ufeff", "\u2028", "\u0085"])
        elif pool == 7:
            c = chr(rng.choice([rng.randrange(0x100, 0xD800), rng.randrange(0xE000, 0x10000)]))
        else:
            c = chr(rng.randrange(0x10000, 0x110000))
        if self.xml and c in XML_FORBIDDEN:
            return "x"
        if c == "\0":
            self.beyond_device = True
        return c

    def string(self):
        length = self.rng.choice([0, 1, 2, 3, 8, 24])
        text = "".join(self.character() for _ in range(length))
        if self.rng.random() < 0.05:
            text += self.rng.choice(["\r\n", "\r", "]]>", "&#13;", "<?pi?>"])
        return text

    def integer(self):
        rng = self.rng
        pick = rng.random()
        if pick < 0.25:
            return rng.choice([INT64_MIN, INT64_MIN + 1, -1, 0, 1, INT64_MAX - 1, INT64_MAX])
        if pick < 0.40:
            return INT64_MIN + rng.randrange(1000)
        if pick < 0.55:
            return INT64_MAX - rng.randrange(1000)
        if pick < 0.70:
            return rng.randrange(-1000, 1000)
        if pick < 0.96:
            return rng.randint(INT64_MIN, INT64_MAX)
        # Above INT64_MAX: plistlib writes it, the device keeps signed integers only.
        self.beyond_device = True
        return rng.choice([INT64_MAX + 1, UINT64_MAX, rng.randint(INT64_MAX + 1, UINT64_MAX)])

    def real(self):
        rng = self.rng
        choice = rng.randrange(5)
        if choice == 0:
            return rng.choice([0.0, -0.0, 5e-324, -5e-324, 2.2250738585072009e-308, 2.2250738585072014e-308,
                               1.7976931348623157e308, -1.7976931348623157e308, float("inf"), float("-inf"),
                               float("nan"), 0.1, 1 / 3, 1e16, 123456789.12345678])
        if choice == 1:  # subnormal, either sign
            return real_from_bits(rng.getrandbits(1) << 63 | rng.randrange(1, 1 << 52))
        if choice == 2:  # any bits: 17 significant digits, NaNs with payloads
            return real_from_bits(rng.getrandbits(64))
        if choice == 3:
            return rng.uniform(-1e6, 1e6)
        return float(rng.randrange(-(1 << 53), 1 << 53))

    def date(self):
        rng = self.rng
        if rng.random() < 0.4:
            return rng.choice([FIRST_DATE, datetime.datetime(1, 1, 1, 0, 0, 1), datetime.datetime(999, 12, 31, 23, 59, 59),
                               datetime.datetime(1000, 1, 1), datetime.datetime(1969, 12, 31, 23, 59, 59),
                               datetime.datetime(1970, 1, 1), EPOCH, datetime.datetime(2038, 1, 19, 3, 14, 8),
                               datetime.datetime(2069, 12, 31), LAST_DATE])
        span = int((LAST_DATE - FIRST_DATE).total_seconds())
        date = FIRST_DATE + datetime.timedelta(seconds=rng.randrange(span + 1))
        if rng.random() < 0.5:
            date = min(LAST_DATE, date.replace(microsecond=rng.randrange(1, 1000000)))
        return date

    def data(self):
        return self.rng.randbytes(self.rng.choice([0, 1, 2, 3, 57, 58, 200]))

    def key(self):
        return self.rng.choice(TWEAK_KEYS) if self.rng.random() < 0.1 else self.string()

    def value(self, depth):
        rng = self.rng
        kinds = ["boolean", "integer", "real", "string", "data", "date"]
        if depth < 6:
            kinds += ["array", "dictionary"]
        kind = rng.choice(kinds)
        if kind == "boolean":
            return rng.random() < 0.5
        if kind == "array":
            return [self.value(depth + 1) for _ in range(rng.choice([0, 0, 1, 2, 4]))]
        if kind == "dictionary":
            return {self.key(): self.value(depth + 1) for _ in range(rng.choice([0, 0, 1, 2, 4]))}
        return getattr(self, kind)()

    def chain(self):
        """Containers nested deep, holding a scalar."""
        value = self.value(6)
        for _ in range(self.rng.randrange(8, 40)):
            value = [value] if self.rng.random() < 0.5 else {self.key(): value}
        return value

    def settings(self):
        rng = self.rng
        settings = {}
        switch = rng.randrange(5)
        if switch < 2:
            settings["isEnabled"] = switch == 0
        elif switch == 2:
            settings["isEnabled"] = rng.choice([1, "YES", 0.0])
        for _ in range(rng.randrange(1, 9)):
            settings[self.key()] = self.value(0)
        if rng.random() < 0.1:
            settings[self.key()] = self.chain()
        return settings


def same(a, b):
    """Same kind and value: True is not 1, reals compare their bits."""
    if type(a) is not type(b):
        return False
    if isinstance(a, float):
        return bits_of(a) == bits_of(b)
    if isinstance(a, list):
        return len(a) == len(b) and all(same(x, y) for x, y in zip(a, b))
    if isinstance(a, dict):
        return a.keys() == b.keys() and all(same(a[k], b[k]) for k in a)
    return a == b


def first_difference(expected, actual, path="top"):
    if not same(expected, actual):
        if isinstance(expected, dict) and isinstance(actual, dict):
            for key in sorted(set(expected) | set(actual), key=repr):
                if key not in actual:
                    return f"{path}[{key!r}] is missing"
                if key not in expected:
                    return f"{path}[{key!r}] was added"
                found = first_difference(expected[key], actual[key], f"{path}[{key!r}]")
                if found:
                    return found
        if isinstance(expected, list) and isinstance(actual, list) and len(expected) == len(actual):
            for index, (x, y) in enumerate(zip(expected, actual)):
                found = first_difference(x, y, f"{path}[{index}]")
                if found:
                    return found
        return f"{path}: {expected!r} became {actual!r}"
    return None


def make_case(seed, index):
    """A settings file plistlib writes and reads back itself: its bytes, and whether it holds
    what the device refuses."""
    rng = random.Random(f"{seed}:{index}")
    while True:
        xml = rng.random() < 0.5
        generator = Settings(rng, xml)
        settings = generator.settings()
        form = plistlib.FMT_XML if xml else plistlib.FMT_BINARY
        try:
            data = plistlib.dumps(settings, fmt=form, sort_keys=rng.random() < 0.7)
            plistlib.loads(data)
            return data, generator.beyond_device
        except (ValueError, OverflowError):
            continue  # plistlib cannot write it, or not read it back itself: not a case


def edge_cases():
    """The same files every run, at the edges of what a write-back once lost: dates before
    the year 1000, integers below INT64_MIN, carriage returns, characters XML cannot carry.
    (name, bytes, whether the device may refuse it.) The XML ones plistlib does not write
    are written here by hand."""
    dates = {f"year {d.year}": d for d in (FIRST_DATE, datetime.datetime(999, 12, 31, 23, 59, 59),
                                           datetime.datetime(1000, 1, 1), LAST_DATE)}
    returns = {"cr": "\r", "cr lf": "\r\n", "inside": "a\rb", "k\r": 1, "k\n": 2, "k\r\n": 3}
    forbidden = [chr(c) for c in range(1, 0x20) if c not in (0x09, 0x0A, 0x0D)] + ["\ufffe", "\uffff"]
    controls = {f"U+{ord(c):04X}{c}": [{"value": f"a{c}b", c: c}] for c in forbidden}
    binary = plistlib.dumps({"isEnabled": True, "dates": [dates], "returns": {"nested": returns},
                             "controls": controls}, fmt=plistlib.FMT_BINARY)
    xml_dates = plistlib.dumps({"isEnabled": True, "dates": [dates]}, fmt=plistlib.FMT_XML)

    def document(body):
        return (b'<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">\n<dict>\n'
                b"\t<key>isEnabled</key>\n\t<true/>\n" + body + b"</dict>\n</plist>\n")

    return [
        ("binary: each of the four in values, keys and nested containers", binary, False),
        ("XML: dates of the years 1, 999, 1000 and 9999", xml_dates, False),
        ("XML: carriage returns as references", document(
            b"\t<key>k&#13;</key>\n\t<string>a&#13;&#10;b&#xD;</string>\n"
            b"\t<key>k&#10;</key>\n\t<array><string>&#13;</string></array>\n"), False),
        ("XML: INT64_MIN", document(b"\t<key>min</key>\n\t<integer>-9223372036854775808</integer>\n"), False),
        ("XML: one below INT64_MIN", document(b"\t<key>below</key>\n\t<integer>-9223372036854775809</integer>\n"),
         True),
        ("XML: -2^64", document(b"\t<key>below</key>\n\t<array><integer>-18446744073709551616</integer></array>\n"),
         True),
        ("XML: a carriage return written as itself", document(b"\t<key>k</key>\n\t<string>a\r\nb</string>\n"), True),
    ]


def check_case(driver, data, may_refuse, path):
    """What became of the file ("xml", "binary" or "refused"), and None when the case
    passes, else what went wrong."""
    problem, written = run_case(driver, data, may_refuse, path)
    if written is None:
        return "refused", problem
    return ("binary" if written.startswith(b"bplist00") else "xml"), problem


def run_case(driver, data, may_refuse, path):
    """What went wrong or None, and the file written back (None when it was refused)."""
    source, result = path + ".plist", path + ".out.plist"
    with open(source, "wb") as f:
        f.write(data)
    run = subprocess.run([driver, source, result], capture_output=True, text=True, timeout=120)
    if run.returncode != 0:
        return f"the driver exited with {run.returncode}: {run.stderr.strip()}", None
    outcome = run.stdout.strip()
    with open(result, "rb") as f:
        written = f.read()
    if outcome != "written":
        if written != data:
            return f"{outcome}, and yet the file changed", None
        if not may_refuse:
            return f"{outcome}: the device refused a file it can keep", None
        return None, None
    try:
        back = plistlib.loads(written)
    except Exception as error:  # any failure to read is the finding
        return f"plistlib cannot read the written file: {error!r}", written
    if not isinstance(back, dict):
        return f"the written file holds a {type(back).__name__}", written
    if back.get("isEnabled") is not False:
        return f"isEnabled is {back.get('isEnabled')!r} after setDisabled", written
    expected = {k: v for k, v in plistlib.loads(data).items() if k != "isEnabled"}
    back = {k: v for k, v in back.items() if k != "isEnabled"}
    return first_difference(expected, back), written


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--driver", required=True, help="the writeback-driver program")
    parser.add_argument("--cases", type=int, default=300, help="how many random settings files (300)")
    parser.add_argument("--seed", type=int, help="the seed of a run to repeat")
    parser.add_argument("--case", type=int, help="run only this random case of the seed")
    parser.add_argument("--keep", help="a directory for the files of failed cases")
    parser.add_argument("--jobs", type=int, default=2, help="devices running at once (2)")
    args = parser.parse_args()
    if args.cases < 1 or args.jobs < 1:
        parser.error("--cases and --jobs must be at least 1")
    if not os.access(args.driver, os.X_OK):
        parser.error(f"{args.driver} is not an executable program")

    seed = args.seed if args.seed is not None else int.from_bytes(os.urandom(4), "big")
    indices = [args.case] if args.case is not None else list(range(args.cases))
    cases = [] if args.case is not None else [(f"edge {name}", data, refusable)
                                              for name, data, refusable in edge_cases()]
    for index in indices:
        data, refusable = make_case(seed, index)
        cases.append((f"case {index} (--seed {seed} --case {index})", data, refusable))
    print(f"seed {seed}: {len(cases)} cases (rerun with --seed {seed})", flush=True)
    failures = []
    outcomes = {"xml": 0, "binary": 0, "refused": 0}
    with tempfile.TemporaryDirectory(prefix="writeback-") as directory:
        with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
            futures = {pool.submit(check_case, args.driver, data, refusable, os.path.join(directory, str(n))): n
                       for n, (_, data, refusable) in enumerate(cases)}
            for future in concurrent.futures.as_completed(futures):
                outcome, problem = future.result()
                outcomes[outcome] += 1
                if problem:
                    failures.append((futures[future], problem))
        if failures and args.keep:
            os.makedirs(args.keep, exist_ok=True)
            for n, _ in failures:
                for name in (f"{n}.plist", f"{n}.out.plist"):
                    if os.path.exists(os.path.join(directory, name)):
                        shutil.copy(os.path.join(directory, name), args.keep)
    for n, problem in sorted(failures):
        print(f"{cases[n][0]}{' (files ' + str(n) + '.plist in --keep)' if args.keep else ''}: {problem}")
    print(f"{len(cases) - len(failures)} of {len(cases)} cases passed; written back as XML "
          f"{outcomes['xml']}, as binary {outcomes['binary']}; refused {outcomes['refused']}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
