#!/usr/bin/env python3
"""Makes slide images for the imaging benchmark.

    python3 bench/make_bench_slides.py OUT_DIR [--repeat N]

Writes OUT_DIR/bench-deck.pptx (standard library only: zip + XML), has
LibreOffice turn it into a PDF (headless, throwaway profile) and pdftocairo
rasterise each page at 96 dpi into OUT_DIR/slide-NN.png. The slides mix what
real decks hold, since each compresses differently: title slides on
gradients, bullet text, a photo, a bar chart, a shape diagram, dense
two-column text, a full-bleed photo with a caption, and gradient shapes.
"""

import argparse
import math
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib
from xml.sax.saxutils import escape

CX, CY = 12192000, 6858000  # 13.333 x 7.5 in: 1280 x 720 pixels at 96 dpi
EMU = 9525                  # per pixel at 96 dpi
FONT = "Liberation Sans"
NS = ('xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" '
      'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" '
      'xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main"')
DECL = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
R = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
PML = "application/vnd.openxmlformats-officedocument.presentationml"
WORDS = ("quarterly revenue growth market share customer retention pipeline forecast "
         "strategy roadmap milestone delivery platform migration budget review team "
         "hiring onboarding security compliance audit cloud costs latency uptime").split()


def png_bytes(width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(rows), 6)) + chunk(b"IEND", b""))


def photo(width, height, seed):
    """A photo-like picture: sky, hills, a sun, and sensor noise."""
    rnd = random.Random(seed)
    def pixel(x, y):
        ridge = height * (0.55 + 0.08 * math.sin(x / 37.0 + seed) + 0.04 * math.sin(x / 11.0))
        if y < ridge:
            t = y / height
            c = [90 + 100 * t, 140 + 70 * t, 230 - 30 * t]
            if (x - width * 0.7) ** 2 + (y - height * 0.25) ** 2 < (height * 0.08) ** 2:
                c = [255, 230, 150]
        else:
            t = (y - ridge) / height
            c = [60 + 80 * t + 20 * math.sin(x / 5.0), 110 + 40 * t, 50 + 30 * t]
        return bytes(max(0, min(255, int(v + rnd.gauss(0, 9)))) for v in c)
    return png_bytes(width, height, pixel)


def colour(rgb):
    return "%02X%02X%02X" % rgb


def fill(spec):
    if isinstance(spec, tuple) and len(spec) == 3 and isinstance(spec[0], int):
        return '<a:solidFill><a:srgbClr val="%s"/></a:solidFill>' % colour(spec)
    if spec is None:
        return "<a:noFill/>"
    a, b, angle = spec  # gradient from a to b
    return ('<a:gradFill rotWithShape="1"><a:gsLst><a:gs pos="0"><a:srgbClr val="%s"/></a:gs>'
            '<a:gs pos="100000"><a:srgbClr val="%s"/></a:gs></a:gsLst><a:lin ang="%d" scaled="0"/>'
            '</a:gradFill>' % (colour(a), colour(b), angle * 60000))


class Slide:
    def __init__(self, background):
        self.background = background
        self.shapes = []
        self.pictures = []  # png bytes, referenced as rId2...

    def shape(self, x, y, w, h, paint=None, geom="rect", line=None, paragraphs=(), anchor="t"):
        sid = len(self.shapes) + 2
        ln = ('<a:ln w="19050"><a:solidFill><a:srgbClr val="%s"/></a:solidFill></a:ln>' % colour(line)
              if line else "<a:ln><a:noFill/></a:ln>")
        body = ""
        if paragraphs:
            paras = []
            for text, size, rgb, bold, bullet in paragraphs:
                ppr = ('<a:pPr marL="342900" indent="-342900"><a:buFont typeface="Arial"/><a:buChar char="&#8226;"/></a:pPr>'
                       if bullet else '<a:pPr><a:buNone/></a:pPr>')
                paras.append('<a:p>%s<a:r><a:rPr lang="en-US" sz="%d" b="%d"><a:solidFill><a:srgbClr val="%s"/>'
                             '</a:solidFill><a:latin typeface="%s"/></a:rPr><a:t>%s</a:t></a:r></a:p>'
                             % (ppr, size * 100, int(bold), colour(rgb), FONT, escape(text)))
            body = ('<p:txBody><a:bodyPr wrap="square" lIns="91440" tIns="45720" rIns="91440" bIns="45720" anchor="%s">'
                    '<a:normAutofit/></a:bodyPr><a:lstStyle/>%s</p:txBody>' % (anchor, "".join(paras)))
        self.shapes.append(
            '<p:sp><p:nvSpPr><p:cNvPr id="%d" name="Shape %d"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr>'
            '<p:spPr><a:xfrm><a:off x="%d" y="%d"/><a:ext cx="%d" cy="%d"/></a:xfrm>'
            '<a:prstGeom prst="%s"><a:avLst/></a:prstGeom>%s%s</p:spPr>%s</p:sp>'
            % (sid, sid, x * EMU, y * EMU, w * EMU, h * EMU, geom, fill(paint), ln, body))

    def text(self, x, y, w, h, paragraphs, anchor="t"):
        self.shape(x, y, w, h, None, "rect", None, paragraphs, anchor)

    def picture(self, x, y, w, h, data):
        self.pictures.append(data)
        sid = len(self.shapes) + 2
        self.shapes.append(
            '<p:pic><p:nvPicPr><p:cNvPr id="%d" name="Picture %d"/><p:cNvPicPr/><p:nvPr/></p:nvPicPr>'
            '<p:blipFill><a:blip r:embed="rId%d"/><a:stretch><a:fillRect/></a:stretch></p:blipFill>'
            '<p:spPr><a:xfrm><a:off x="%d" y="%d"/><a:ext cx="%d" cy="%d"/></a:xfrm>'
            '<a:prstGeom prst="rect"><a:avLst/></a:prstGeom></p:spPr></p:pic>'
            % (sid, sid, len(self.pictures) + 1, x * EMU, y * EMU, w * EMU, h * EMU))

    def xml(self):
        return (DECL + '<p:sld %s><p:cSld><p:bg><p:bgPr>%s<a:effectLst/></p:bgPr></p:bg><p:spTree>'
                '<p:nvGrpSpPr><p:cNvPr id="1" name=""/><p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr><p:grpSpPr/>'
                '%s</p:spTree></p:cSld><p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr></p:sld>'
                % (NS, fill(self.background), "".join(self.shapes)))


def sentence(rnd, words):
    return " ".join(rnd.choice(WORDS) for _ in range(words)).capitalize()


def make_slides(repeat):
    rnd = random.Random(7)
    dark, white, accent = (31, 56, 100), (255, 255, 255), (237, 125, 49)
    slides = []
    for r in range(repeat):
        s = Slide(((20, 40, 90), (90, 150, 210), 90))  # title on a gradient
        s.text(120, 220, 1040, 140, [("Quarterly Business Review %d" % (r + 1), 54, white, True, False)], "ctr")
        s.text(120, 380, 1040, 60, [("Operations, finance and the year ahead", 24, (220, 230, 245), False, False)])
        slides.append(s)

        s = Slide(white)  # bullets under a title bar
        s.shape(0, 0, 1280, 110, dark)
        s.text(60, 20, 1160, 80, [("Highlights of the quarter", 36, white, True, False)], "ctr")
        s.text(80, 150, 1120, 520, [(sentence(rnd, 9), 24, (40, 40, 40), False, True) for _ in range(7)])
        slides.append(s)

        s = Slide((245, 245, 240))  # a photo with a caption
        s.text(60, 30, 1160, 80, [("Our new site", 36, dark, True, False)])
        s.picture(60, 130, 720, 480, photo(360, 240, r))
        s.text(820, 140, 400, 460, [(sentence(rnd, 8), 20, (60, 60, 60), False, True) for _ in range(5)])
        slides.append(s)

        s = Slide(white)  # a bar chart
        s.text(60, 30, 1160, 80, [("Revenue by region", 36, dark, True, False)])
        s.shape(120, 600, 1040, 3, (120, 120, 120))
        s.shape(120, 150, 3, 453, (120, 120, 120))
        palette = [(68, 114, 196), (237, 125, 49), (165, 165, 165), (255, 192, 0), (91, 155, 213)]
        for i in range(8):
            h = rnd.randint(80, 430)
            s.shape(160 + i * 125, 600 - h, 80, h, palette[i % 5])
            s.text(140 + i * 125, 610, 120, 40, [("Q%d" % (i + 1), 16, (80, 80, 80), False, False)])
        slides.append(s)

        s = Slide(((250, 250, 252), (225, 232, 245), 45))  # a diagram of shapes
        s.text(60, 30, 1160, 80, [("How an order flows", 36, dark, True, False)])
        for i, name in enumerate(["Order", "Check", "Pack", "Ship", "Invoice"]):
            geom = ["ellipse", "roundRect", "hexagon", "roundRect", "ellipse"][i]
            s.shape(70 + i * 240, 260, 190, 150, ((68, 114, 196), (120, 170, 230), 90), geom, dark,
                    [(name, 24, white, True, False)], "ctr")
            if i < 4:
                s.shape(265 + i * 240, 320, 40, 30, accent, "rightArrow")
        s.text(80, 480, 1120, 160, [(sentence(rnd, 14), 18, (60, 60, 60), False, False)])
        slides.append(s)

        s = Slide(white)  # dense text in two columns
        s.text(60, 30, 1160, 70, [("Terms and conditions", 32, dark, True, False)])
        for col in range(2):
            s.text(60 + col * 590, 110, 560, 580, [(sentence(rnd, 16) + ".", 12, (30, 30, 30), False, False)
                                                    for _ in range(12)])
        slides.append(s)

        s = Slide(white)  # full-bleed photo with a caption band
        s.picture(0, 0, 1280, 720, photo(640, 360, 100 + r))
        s.shape(0, 560, 1280, 160, (0, 0, 0))
        s.text(60, 580, 1160, 120, [("Thank you", 48, white, True, False)], "ctr")
        slides.append(s)

        s = Slide(((255, 255, 255), (235, 240, 250), 90))  # gradient shapes
        s.text(60, 30, 1160, 80, [("Four pillars", 36, dark, True, False)])
        colours = [((192, 80, 77), (242, 160, 150)), ((155, 187, 89), (205, 230, 160)),
                   ((128, 100, 162), (190, 170, 220)), ((75, 172, 198), (160, 220, 235))]
        for i, (a, b) in enumerate(colours):
            s.shape(80 + i * 290, 170, 250, 440, (a, b, 90), "roundRect", None,
                    [(w, 20, white, True, False) for w in rnd.sample(WORDS, 4)], "ctr")
        slides.append(s)
    return slides


def write_pptx(path, slides):
    parts = {}
    ct = [DECL, '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">',
          '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>',
          '<Default Extension="xml" ContentType="application/xml"/>',
          '<Default Extension="png" ContentType="image/png"/>',
          '<Override PartName="/ppt/presentation.xml" ContentType="%s.presentation.main+xml"/>' % PML,
          '<Override PartName="/ppt/slideMasters/slideMaster1.xml" ContentType="%s.slideMaster+xml"/>' % PML,
          '<Override PartName="/ppt/slideLayouts/slideLayout1.xml" ContentType="%s.slideLayout+xml"/>' % PML,
          '<Override PartName="/ppt/theme/theme1.xml" ContentType="application/vnd.openxmlformats-officedocument.theme+xml"/>']
    ct += ['<Override PartName="/ppt/slides/slide%d.xml" ContentType="%s.slide+xml"/>' % (n, PML)
           for n in range(1, len(slides) + 1)]
    parts["[Content_Types].xml"] = "".join(ct) + "</Types>"

    def rels(items):
        return (DECL + '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                + "".join('<Relationship Id="%s" Type="%s%s" Target="%s"/>' % (i, R, t, g) for i, t, g in items)
                + "</Relationships>")
    parts["_rels/.rels"] = rels([("rId1", "officeDocument", "ppt/presentation.xml")])
    ids = "".join('<p:sldId id="%d" r:id="rId%d"/>' % (256 + n, n + 1) for n in range(1, len(slides) + 1))
    parts["ppt/presentation.xml"] = (
        DECL + '<p:presentation %s><p:sldMasterIdLst><p:sldMasterId id="2147483648" r:id="rId1"/>'
        '</p:sldMasterIdLst><p:sldIdLst>%s</p:sldIdLst><p:sldSz cx="%d" cy="%d"/>'
        '<p:notesSz cx="6858000" cy="9144000"/></p:presentation>' % (NS, ids, CX, CY))
    parts["ppt/_rels/presentation.xml.rels"] = rels(
        [("rId1", "slideMaster", "slideMasters/slideMaster1.xml")]
        + [("rId%d" % (n + 1), "slide", "slides/slide%d.xml" % n) for n in range(1, len(slides) + 1)]
        + [("rId%d" % (len(slides) + 2), "theme", "theme/theme1.xml")])
    scheme = "".join('<a:%s><a:srgbClr val="%s"/></a:%s>' % (n, v, n) for n, v in [
        ("dk1", "000000"), ("lt1", "FFFFFF"), ("dk2", "1F3864"), ("lt2", "E7E6E6"), ("accent1", "4472C4"),
        ("accent2", "ED7D31"), ("accent3", "A5A5A5"), ("accent4", "FFC000"), ("accent5", "5B9BD5"),
        ("accent6", "70AD47"), ("hlink", "0563C1"), ("folHlink", "954F72")])
    solid = '<a:solidFill><a:schemeClr val="phClr"/></a:solidFill>'
    line = '<a:ln w="9525"><a:solidFill><a:schemeClr val="phClr"/></a:solidFill></a:ln>'
    parts["ppt/theme/theme1.xml"] = (
        DECL + '<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" name="Bench">'
        '<a:themeElements><a:clrScheme name="Bench">%s</a:clrScheme><a:fontScheme name="Bench">'
        '<a:majorFont><a:latin typeface="%s"/><a:ea typeface=""/><a:cs typeface=""/></a:majorFont>'
        '<a:minorFont><a:latin typeface="%s"/><a:ea typeface=""/><a:cs typeface=""/></a:minorFont></a:fontScheme>'
        '<a:fmtScheme name="Bench"><a:fillStyleLst>%s</a:fillStyleLst><a:lnStyleLst>%s</a:lnStyleLst>'
        '<a:effectStyleLst>%s</a:effectStyleLst><a:bgFillStyleLst>%s</a:bgFillStyleLst></a:fmtScheme>'
        '</a:themeElements></a:theme>'
        % (scheme, FONT, FONT, solid * 3, line * 3, '<a:effectStyle><a:effectLst/></a:effectStyle>' * 3, solid * 3))
    tree = ('<p:spTree><p:nvGrpSpPr><p:cNvPr id="1" name=""/><p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr>'
            '<p:grpSpPr/></p:spTree>')
    parts["ppt/slideMasters/slideMaster1.xml"] = (
        DECL + '<p:sldMaster %s><p:cSld><p:bg><p:bgPr><a:solidFill><a:srgbClr val="FFFFFF"/></a:solidFill>'
        '<a:effectLst/></p:bgPr></p:bg>%s</p:cSld><p:clrMap bg1="lt1" tx1="dk1" bg2="lt2" tx2="dk2" '
        'accent1="accent1" accent2="accent2" accent3="accent3" accent4="accent4" accent5="accent5" '
        'accent6="accent6" hlink="hlink" folHlink="folHlink"/><p:sldLayoutIdLst>'
        '<p:sldLayoutId id="2147483649" r:id="rId1"/></p:sldLayoutIdLst></p:sldMaster>' % (NS, tree))
    parts["ppt/slideMasters/_rels/slideMaster1.xml.rels"] = rels(
        [("rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"), ("rId2", "theme", "../theme/theme1.xml")])
    parts["ppt/slideLayouts/slideLayout1.xml"] = (
        DECL + '<p:sldLayout %s type="blank"><p:cSld name="Blank">%s</p:cSld>'
        '<p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr></p:sldLayout>' % (NS, tree))
    parts["ppt/slideLayouts/_rels/slideLayout1.xml.rels"] = rels(
        [("rId1", "slideMaster", "../slideMasters/slideMaster1.xml")])
    media = 0
    for n, slide in enumerate(slides, 1):
        parts["ppt/slides/slide%d.xml" % n] = slide.xml()
        items = [("rId1", "slideLayout", "../slideLayouts/slideLayout1.xml")]
        for i, data in enumerate(slide.pictures):
            media += 1
            parts["ppt/media/image%d.png" % media] = data
            items.append(("rId%d" % (i + 2), "image", "../media/image%d.png" % media))
        parts["ppt/slides/_rels/slide%d.xml.rels" % n] = rels(items)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in parts.items():
            z.writestr(name, data if isinstance(data, bytes) else data.encode("utf-8"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--repeat", type=int, default=3, help="sets of 8 slides (default 3)")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    deck = os.path.join(args.out, "bench-deck.pptx")
    write_pptx(deck, make_slides(args.repeat))
    soffice, pdftocairo = shutil.which("soffice"), shutil.which("pdftocairo")
    if not soffice or not pdftocairo:
        sys.exit("needs soffice (LibreOffice) and pdftocairo (poppler-utils) to render %s" % deck)
    with tempfile.TemporaryDirectory(prefix="qm-bench-lo-") as profile:
        subprocess.run([soffice, "--headless", "-env:UserInstallation=file://" + profile,
                        "--convert-to", "pdf", "--outdir", args.out, deck],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
    pdf = os.path.join(args.out, "bench-deck.pdf")
    subprocess.run([pdftocairo, "-png", "-r", "96", pdf, os.path.join(args.out, "slide")], check=True)
    print("slides written to %s" % args.out)


if __name__ == "__main__":
    main()
