#!/usr/bin/env python3
"""Writes debug/errorcodes_names.inc and debug/errorcodes_descriptions.inc.

The code-to-name facts come from the MinGW-w64 SDK headers (Debian's mingw-w64-common,
/usr/share/mingw-w64/include). Each family below is a code range, the name prefixes
that belong to it and the headers that define it; the rules that the headers alone do
not give (the status-code forms of the Win32 codes, the names shared by several
headers, the DirectInput driver range, the utility framework's codes) are applied on
top. The descriptions are ours, in descriptions.txt next to this script.

Usage: generate.py [--check] [include-dir]
Writes into the source tree; with --check it only compares and fails when the
committed tables differ from what the headers give.
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
ARGS = [a for a in sys.argv[1:] if a != "--check"]
CHECK = "--check" in sys.argv[1:]
INCLUDE = ARGS[0] if ARGS else "/usr/share/mingw-w64/include"

HEADERS = ["winerror.h", "d3d9.h", "ddraw.h", "dsound.h", "dxgi.h", "d3d10.h", "d3d11.h", "xaudio2.h",
           "xapo.h", "wincodec.h", "dwrite.h", "d2derr.h", "dinput.h", "dinputd.h", "vfwmsgs.h",
           "mediaerr.h", "mmstream.h"]

# (first code, last code, name prefixes, headers that may supply the names)
WIN = ["winerror.h"]
DX9 = ["d3d9.h", "ddraw.h"]
FAMILIES = [
    (0x00000000, 0x00003700, ["ERROR_", "RPC_S_", "RPC_X_", "DNS_", "WSA", "FRS_", "EPT_S_", "OR_",
                              "WAIT_TIMEOUT", "SCHED_E_"], WIN),
    (0x00030200, 0x00030206, ["STG_S_"], WIN),
    (0x00040000, 0x0004E02F, ["OLE_S_", "MK_S_", "SCHED_S_", "DRAGDROP_S_", "CACHE_S_", "CONVERT10_S_",
                              "CLASSFACTORY_S_", "VIEW_S_", "DATA_S_", "CLIPBRD_S_", "OLEOBJ_S_",
                              "INPLACE_S_", "ENUM_S_", "MARSHAL_S_", "REGDB_S_", "CLIENTSITE_S_", "CO_S_",
                              "CONTEXT_S_"], WIN),
    (0x00080012, 0x00080013, ["CO_S_"], WIN),
    (0x00090312, 0x00091012, ["SEC_I_", "CRYPT_I_"], WIN),
    (0x0876086F, 0x08760878, ["D3DOK_", "S_"], DX9),
    (0x0878000A, 0x0878000A, ["DS_"], ["dsound.h"]),
    (0x087A0001, 0x087A0008, ["DXGI_STATUS_"], WIN + ["dxgi.h"]),
    (0x8000000A, 0x8000FFFF, ["E_", "CO_E_"], WIN),
    (0x80010001, 0x8001FFFF, ["RPC_E_", "CO_E_", "RPC_S_"], WIN),
    (0x80020001, 0x80029C84, ["DISP_E_", "TYPE_E_"], WIN),
    (0x80030001, 0x8003030B, ["STG_E_"], WIN),
    (0x80040000, 0x8004E02F, ["CO_E_", "OLE_E_", "MK_E_", "DIERR_", "SCHED_E_", "CS_E_", "CONTEXT_E_",
                              "DV_E_", "REGDB_E_", "OLEOBJ_E_", "CLIENTSITE_E_", "INPLACE_E_", "ENUM_E_",
                              "CONVERT10_E_", "CLIPBRD_E_", "DATA_E_", "VIEW_E_", "DRAGDROP_E_",
                              "CLASS_E_", "CLASSFACTORY_E_", "CACHE_E_", "MARSHAL_E_", "CAT_E_", "DXUTERR_",
                              "OLEOBJ_E_"], WIN + ["dinput.h", "dinputd.h"]),
    (0x80080001, 0x80080011, ["CO_E_", "MEM_E_", "MK_E_"], WIN),
    (0x80090001, 0x80097018, ["CRYPT_E_", "SEC_E_", "OSS_", "NTE_", "CERTSRV_E_", "MSSIPOTF_E_",
                              "TRUST_E_", "XENROLL_E_"], WIN),
    (0x800B0001, 0x800B0114, ["CERT_E_", "TRUST_E_", "DIGSIG_E_", "PERSIST_E_"], WIN),
    (0x800F0000, 0x800F1000, ["SPAPI_E_"], WIN),
    (0x80100001, 0x8010006F, ["SCARD_"], WIN),
    (0x80110401, 0x80110823, ["COMADMIN_E_", "COMQC_E_", "MSDTC_"], WIN),
    (0x88760005, 0x88760884, ["DDERR_", "D3DERR_"], DX9),
    (0x8878000A, 0x88781161, ["DSERR_"], ["dsound.h"]),
    (0x88790001, 0x88790002, ["D3D10_ERROR_"], WIN + ["d3d10.h"]),
    (0x887A0001, 0x887A0024, ["DXGI_ERROR_"], WIN + ["dxgi.h"]),
    (0x887C0001, 0x887C0004, ["D3D11_ERROR_"], WIN + ["d3d11.h"]),
    (0x88960001, 0x88960004, ["XAUDIO2_E_"], ["xaudio2.h"]),
    (0x88970001, 0x88970001, ["XAPO_E_"], ["xapo.h"]),
    (0x88982F04, 0x88985006, ["WINCODEC_ERR_", "DWRITE_E_"], WIN + ["wincodec.h", "dwrite.h"]),
    (0x88990001, 0x8899001C, ["D2DERR_"], WIN + ["d2derr.h"]),
    (0xC0090001, 0xC0090002, ["ERROR_"], WIN),
]

# Range markers (OLE_E_FIRST, VIEW_S_LAST) name a code only where no real name does.
MARKER = re.compile(r"(_BASE|BASEERR|_FIRST|_LAST|_MASK)$")

# Codes the headers above do not carry (the utility framework has its own header; the
# audio-effect code is documented with the audio API).
SUPPLEMENT = {
    0x80040300: "DIERR_DRIVERFIRST",
    0x80040301: "DIERR_DRIVERFIRST+1",
    0x80040302: "DIERR_DRIVERFIRST+2",
    0x80040303: "DIERR_DRIVERFIRST+3",
    0x80040304: "DIERR_DRIVERFIRST+4",
    0x80040305: "DIERR_DRIVERFIRST+5",
    0x800403FF: "DIERR_DRIVERLAST",
    0x80040901: "DXUTERR_NODIRECT3D",
    0x80040902: "DXUTERR_NOCOMPATIBLEDEVICES",
    0x80040903: "DXUTERR_MEDIANOTFOUND",
    0x80040904: "DXUTERR_NONZEROREFCOUNT",
    0x80040905: "DXUTERR_CREATINGDEVICE",
    0x80040906: "DXUTERR_RESETTINGDEVICE",
    0x80040907: "DXUTERR_CREATINGDEVICEOBJECTS",
    0x80040908: "DXUTERR_RESETTINGDEVICEOBJECTS",
    0x80040909: "DXUTERR_INCORRECTVERSION",
    0x8004090A: "DXUTERR_DEVICEREMOVED",
    0x88970001: "XAPO_E_FORMAT_UNSUPPORTED",
}

# Codes that several headers define carry every name, joined, the DirectInput one first.
SHARED = list(range(0x80040200, 0x8004020C)) + [0x80040401]
SHARED_PREFIXES = ["DIERR_", "VFW_E_", "DMO_E_", "MS_E_"]
SHARED_HEADERS = ["dinput.h", "dinputd.h", "vfwmsgs.h", "mediaerr.h", "mmstream.h"]

# Plain Win32 codes whose status-code form has another name, or none.
WIN32_STATUS_NAMES = {0x80070001: "ERROR_INVALID_FUNCTION", 0x80070005: "E_ACCESSDENIED",
                      0x80070006: "E_HANDLE", 0x8007000E: "E_OUTOFMEMORY", 0x80070057: "E_INVALIDARG"}
WIN32_WITHOUT_STATUS = {0x00, 0xC8, 0xC9}


def read_defines():
    objects, functions, order = {}, {}, []
    for header in HEADERS:
        with open(os.path.join(INCLUDE, header), encoding="latin-1") as f:
            text = f.read()
        text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S).replace("\\\n", " ")
        for line in text.split("\n"):
            line = line.split("//")[0]
            m = re.match(r"\s*#\s*define\s+(\w+)\(([^)]*)\)\s*(.*)", line)
            if m:
                functions.setdefault(m[1], ([a.strip() for a in m[2].split(",")], m[3].strip()))
                continue
            m = re.match(r"\s*#\s*define\s+(\w+)\s+(.+)", line)
            if m:
                order.append((m[1], m[2].strip(), header))
                objects.setdefault(m[1], m[2].strip())
    return objects, functions, order


OBJECTS, FUNCTIONS, ORDER = read_defines()
IDENT = re.compile(r"[A-Za-z_]\w*")
TRANSPARENT = {"__MSABI_LONG", "_HRESULT_TYPEDEF_", "_NDIS_ERROR_TYPEDEF_"}
CASTS = re.compile(r"\(\s*(HRESULT|SCODE|LONG|DWORD|ULONG|long|int|unsigned\s+__LONG32|unsigned\s+long|"
                   r"unsigned\s+int|unsigned)\s*\)")


def call_arguments(text, open_paren):
    """The arguments of the call whose '(' is at open_paren, and the index after its ')'."""
    depth, args, current, i = 0, [], "", open_paren
    while True:
        c = text[i]
        if c == "(":
            depth += 1
            if depth == 1:
                i += 1
                continue
        elif c == ")":
            depth -= 1
            if depth == 0:
                args.append(current)
                return args, i + 1
        elif c == "," and depth == 1:
            args.append(current)
            current = ""
            i += 1
            continue
        current += c
        i += 1


def expand(text, depth=0):
    if depth > 30:
        raise ValueError("macro nesting too deep")
    out, i = "", 0
    while i < len(text):
        m = IDENT.match(text, i)
        if not m or (i > 0 and text[i - 1].isalnum()):
            out += text[i]
            i += 1
            continue
        name, end = m[0], m.end()
        k = end
        while k < len(text) and text[k] == " ":
            k += 1
        if (name in TRANSPARENT or name in FUNCTIONS) and k < len(text) and text[k] == "(":
            args, after = call_arguments(text, k)
            if name in TRANSPARENT:
                body = args[0]
            else:
                params, body = FUNCTIONS[name]
                for param, arg in zip(params, args):
                    body = re.sub(r"\b%s\b" % re.escape(param), "(" + arg + ")", body)
            out += "(" + expand(body, depth + 1) + ")"
            i = after
        elif name in OBJECTS:
            out += "(" + expand(OBJECTS[name], depth + 1) + ")"
            i = end
        else:
            out += name
            i = end
    return out


def evaluate(text):
    try:
        x = CASTS.sub("", expand(text))
    except (ValueError, IndexError):
        return None
    x = re.sub(r"\b(0[xX][0-9A-Fa-f]+|\d+)[uUlL]+\b", r"\1", x)
    if not re.fullmatch(r"[\s0-9a-fA-FxX()+\-|<>&~*]*", x):
        return None
    try:
        return eval(x) & 0xFFFFFFFF  # only digits and operators reach here
    except (SyntaxError, TypeError, NameError, ZeroDivisionError):
        return None


VALUES = [(name, v, header) for name, text, header in ORDER if (v := evaluate(text)) is not None]


def family_names(lo, hi, prefixes, headers):
    names = {}
    for name, code, header in VALUES:
        if lo <= code <= hi and header in headers and any(name.startswith(p) for p in prefixes):
            names.setdefault(code, []).append(name)
    # The first real definition names the code.
    return {code: sorted(found, key=lambda n: bool(MARKER.search(n)))[0] for code, found in names.items()}


def build_names():
    table = {}
    counts = []
    for lo, hi, prefixes, headers in FAMILIES:
        names = family_names(lo, hi, prefixes, headers)
        for code, name in SUPPLEMENT.items():
            if lo <= code <= hi and any(name.startswith(p) for p in prefixes):
                names[code] = name
        if lo == 0:
            names[0] = "S_OK"
            names[1] = "S_FALSE"
            for code, name in names.items():
                if code not in WIN32_WITHOUT_STATUS:
                    table[0x80070000 | code] = WIN32_STATUS_NAMES.get(0x80070000 | code, name)
        table.update(names)
        counts.append((lo, hi, len(names)))
    counts.append((0x80070001, 0x80073700, sum(1 for c in table if c >> 16 == 0x8007)))
    for code in SHARED:
        table[code] = " & ".join(shared_names(code))
    return table, counts


def shared_names(code):
    """Every name the headers of several components give the code, the DirectInput one first."""
    found = [name for prefix in SHARED_PREFIXES for name, v, header in VALUES
             if v == code and header in SHARED_HEADERS and name.startswith(prefix)]
    return list(dict.fromkeys(found))


def description_facts():
    """descriptions.txt: one 'NAME<TAB>sentence' a line; a code's text joins its names'."""
    by_name = {}
    with open(os.path.join(HERE, "descriptions.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            name, _, sentence = line.partition("\t")
            by_name[name] = sentence
    return by_name


def description_codes(table):
    directx = [c for c in table if (c >> 16) & 0x7FFF in
               (0x876, 0x878, 0x879, 0x87A, 0x87C, 0x896, 0x897, 0x898, 0x899)]
    interface = (list(range(0x80040200, 0x8004020C)) + list(range(0x80040300, 0x80040306)) + [0x800403FF]
                 + list(range(0x80040400, 0x80040403)) + list(range(0x80040901, 0x8004090B)))
    dinput_win32 = [0x8007000C, 0x80070015, 0x8007001E, 0x80070077, 0x800700AA, 0x80070103, 0x8007047E,
                    0x80070481, 0x800704DF]
    return sorted(set(directx + interface + dinput_win32))


def description_names(code, table):
    """The names whose sentences describe the code, the DirectInput one first."""
    if (code >> 16) == 0x8007:  # DirectInput's codes built from Win32 ones
        return [name for name, v, header in VALUES if v == code and name.startswith("DIERR_")][:1]
    if code in (0x80040400, 0x80040401, 0x80040402) or 0x80040200 <= code <= 0x8004020B:
        return shared_names(code)
    return [table[code]]


def wide(text):
    return 'L"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def main():
    table, counts = build_names()
    for lo, hi, n in counts:
        print("%08X-%08X %5d" % (lo, hi, n))
    sentences = description_facts()
    rows = []
    missing = []
    for code in description_codes(table):
        names = description_names(code, table)
        if not names or any(n not in sentences for n in names):
            missing.append("%08X %s" % (code, names))
            continue
        rows.append((code, " & ".join(sentences[n] for n in names)))
    if missing:
        sys.exit("descriptions.txt lacks:\n" + "\n".join(missing))

    banner = "// Generated by tools/errorcodes/generate.py; edit that script, not this file.\n"
    outputs = {
        "errorcodes_names.inc": banner + "".join("{0x%08Xu, %s},\n" % (c, wide(table[c])) for c in sorted(table)),
        "errorcodes_descriptions.inc": banner + "".join("{0x%08Xu, %s},\n" % (c, wide(t)) for c, t in rows),
    }
    stale = []
    for name, text in outputs.items():
        path = os.path.join(ROOT, "debug", name)
        if CHECK:
            with open(path, encoding="utf-8") as f:
                if f.read() != text:
                    stale.append(name)
        else:
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
    if stale:
        sys.exit("out of date, run tools/errorcodes/generate.py: " + ", ".join(stale))
    print("names %d, descriptions %d" % (len(table), len(rows)))


if __name__ == "__main__":
    main()
