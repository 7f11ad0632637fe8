#!/usr/bin/env python3
"""Writes the four text tables shipped in Resources/.

Run once from the repository root: python3 tools/make_payload/make_tables.py [OUT_DIR]
The output is deterministic; rerunning it reproduces the committed files byte for byte.

The actor and alarm tables are percent-encoded UTF-8 with CR LF line ends (the clock
decodes them before splitting); the two schedules are plain ASCII with bare CR line ends.
The alarm labels must stay in step with AlarmKind() in make_payload's sound code.
"""
import os
import sys

# Invented voice actors: id, display name, picture key.
ACTORS = [
    ("01", "朝凪\u3000ことは", "kotoha"),
    ("02", "柚木\u3000みのり", "minori"),
    ("03", "月岡\u3000しずく", "shizuku"),
    ("04", "花籠\u3000ひなの", "hinano"),
    ("05", "星見\u3000つばさ", "tsubasa"),
    ("06", "灯野\u3000あかり", "akari"),
    ("07", "鈴鳴\u3000かのん", "kanon"),
    ("08", "凪沢\u3000ゆずは", "yuzuha"),
    ("09", "白霜\u3000まふゆ", "mafuyu"),
    ("10", "芽吹\u3000わかば", "wakaba"),
    ("11", "茜坂\u3000あやめ", "ayame"),
    ("12", "空澄\u3000みそら", "misora"),
]

# Twelve alarms of each kind, in this order (entry i has kind i // 12).
ALARM_KINDS = ["ベル", "チャイム", "ピピピ", "目覚まし", "メロディ", "サイレン"]

# Minutes that get a second voice: the quarter days, so the duet is easy to find.
DUET_MINUTES = {0, 6 * 60, 12 * 60, 18 * 60}


def percent_encode(text):
    out = []
    for byte in text.encode("utf-8"):
        if byte >= 0x80 or byte in (0x09, 0x25) or byte < 0x20:
            out.append("%%%02X" % byte)
        else:
            out.append(chr(byte))
    return "".join(out)


def encoded_table(rows):
    return b"".join(percent_encode("\t".join(row)).encode("ascii") + b"\r\n" for row in rows)


def hhmm(minute_of_day):
    return "%02d%02d" % divmod(minute_of_day, 60)


def actor_time_lines():
    lines = []
    for m in range(24 * 60):
        # 7 is prime to 12, so every block of twelve minutes visits every actor once.
        actor = (m * 7) % 12 + 1
        lines.append("%s\t%d" % (hhmm(m), actor))
        if m in DUET_MINUTES:
            partner = (actor - 1 + 6 + m // 360) % 12 + 1
            lines.append("%s\t%d" % (hhmm(m), partner))
    return lines


def actor_serif_lines():
    # 5 is prime to 12: the 144 marks give each actor twelve lines.
    return ["%s\t%d" % (hhmm(k * 10), (k * 5) % 12 + 1) for k in range(144)]


def cr_table(lines):
    return "".join(line + "\r" for line in lines).encode("ascii")


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else "Resources"
    os.makedirs(out_dir, exist_ok=True)
    alarms = [("アラーム %02d %s" % (i + 1, ALARM_KINDS[i // 12]), "alarm%02d.mp3" % (i + 1))
              for i in range(72)]
    files = {
        "ActMain.txt": encoded_table(ACTORS),
        "ActTime.txt": cr_table(actor_time_lines()),
        "ActSerif.txt": cr_table(actor_serif_lines()),
        "Alarm.txt": encoded_table(alarms),
    }
    for name, data in files.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
