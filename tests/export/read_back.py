#!/usr/bin/python3
"""Reads a saved contacts or messages file back with a parser that is not ours
and prints what it holds as one JSON document on stdout; exits non-zero (with
the reason on stderr) when the file does not keep the format's rules.

    read_back.py vcf Contacts.vcf   [{"fn": [...], "n": [[family, given, ...]], "tel": [...], ...}, ...]
    read_back.py xml Messages.xml   {"declaration": [...], "count": "N", "sms": [{attribute: value}, ...]}
    read_back.py csv Contacts.csv   [[cell, ...], ...]

vCard through vobject (Debian python3-vobject), XML through Expat (pyexpat),
CSV through Python's csv module.
"""
import csv
import io
import json
import sys


def fail(reason):
    sys.stderr.write("read_back: " + reason + "\n")
    sys.exit(1)


def read_vcf(data):
    try:
        import vobject
    except ImportError:
        fail("no vobject for " + sys.executable + ": install python3-vobject (scripts/setup-deps)")
    if not data.endswith(b"\r\n"):
        fail("the last line does not end with CR LF")
    for number, line in enumerate(data[:-2].split(b"\r\n"), 1):
        if len(line) > 75:
            fail("line %d has %d octets" % (number, len(line)))
        if b"\n" in line or b"\r" in line:
            fail("line %d holds a bare line break" % number)
        try:
            line.decode("utf-8")  # a fold that splits a character fails here
        except UnicodeDecodeError as error:
            fail("line %d is not UTF-8 on its own: %s" % (number, error))
    cards = []
    for card in vobject.readComponents(data.decode("utf-8")):
        entry = {}
        for line in card.lines():
            name = line.name.lower()
            value = line.value
            if name == "n":
                value = [value.family, value.given, value.additional, value.prefix, value.suffix]
            elif name == "adr":
                value = [value.box, value.extended, value.street, value.city, value.region, value.code, value.country]
            entry.setdefault(name, []).append(value)
        cards.append(entry)
    return cards


def read_xml(data):
    import xml.parsers.expat

    result = {"declaration": None, "count": None, "sms": []}
    stack = []

    def declaration(version, encoding, standalone):
        result["declaration"] = [version, encoding, standalone]

    def start(name, attributes):
        if not stack and name != "smses":
            fail("the root element is " + name)
        if stack and (name != "sms" or stack != ["smses"]):
            fail("unexpected element " + name + " inside " + "/".join(stack))
        if name == "smses":
            result["count"] = attributes.get("count")
        else:
            result["sms"].append(attributes)
        stack.append(name)

    def end(name):
        stack.pop()

    parser = xml.parsers.expat.ParserCreate()
    parser.XmlDeclHandler = declaration
    parser.StartElementHandler = start
    parser.EndElementHandler = end
    parser.ordered_attributes = False
    try:
        parser.Parse(data, True)
    except xml.parsers.expat.ExpatError as error:
        fail("not well-formed: %s" % error)
    return result


def read_csv(data):
    if not data.startswith(b"\xef\xbb\xbf"):
        fail("no UTF-8 byte-order mark")
    if not data.endswith(b"\r\n"):
        fail("the last row does not end with CR LF")
    text = data.decode("utf-8-sig")
    return list(csv.reader(io.StringIO(text, newline=""), strict=True))


def main():
    kind, path = sys.argv[1], sys.argv[2]
    with open(path, "rb") as file:
        data = file.read()
    readers = {"vcf": read_vcf, "xml": read_xml, "csv": read_csv}
    json.dump(readers[kind](data), sys.stdout)


main()
