#!/usr/bin/env python3
"""Writes Quillmere's presentation files: the test decks and the sample decks.

    python3 tools/make_decks.py --out DIR            # the test set + decks.json
    python3 tools/make_decks.py --out DIR --samples  # the sample decks

The .pptx files are written by hand (zipfile + XML strings, standard library
only). The .ppt files and the password-protected deck are made from them by
LibreOffice (soffice), run headless with a throwaway profile; if soffice is
missing those steps are skipped with a warning.

Test decks: every slide has its own solid background colour (the slide's
<p:bg>) and its number in large type in the middle. Slide n (1-based) gets
COLOURS[(n - 1) % len(COLOURS)]. Points at 10% inset from the slide's corners
always show the pure background colour. decks.json beside the decks tells, for
each file, the slide count, the slide size (EMU and pixels at 96 dpi), the
hidden slides, the colour of each slide and, for the password-protected decks
(password.pptx, password.odp, password.ppt), the password. The broken files (notes.pptx,
empty.pptx, truncated.pptx, sheet.xlsx) and the memory bomb (bomb.pptx: one
slide showing a 15000 x 15000 PNG that takes under 1 MB) are listed under
"broken". content.pptx carries what real decks do: a chart, a table and an
embedded spreadsheet, one a slide, whose colours decks.json gives.
"""

import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import zipfile
from xml.sax.saxutils import escape
from xml.sax.saxutils import escape
import zlib
import struct
from xml.sax.saxutils import escape

# ---------------------------------------------------------------------------
# Colours

# The test colour table. Every pair differs by at least 64 in some channel, and
# every colour by at least 64 in some channel from white and from black, so a
# JPEG round trip plus a sampling tolerance of 24 per channel cannot confuse
# them (checked by check_colour_table()).
COLOURS = [
    (0xC8, 0x28, 0x28),  # red
    (0x28, 0xA0, 0x3C),  # green
    (0x28, 0x50, 0xC8),  # blue
    (0xE6, 0xB4, 0x1E),  # amber
    (0x96, 0x32, 0xAA),  # purple
    (0x1E, 0xAA, 0xAA),  # teal
    (0xF0, 0x6E, 0x14),  # orange
    (0x78, 0x78, 0x78),  # grey
    (0xF0, 0x82, 0xBE),  # pink
    (0x6E, 0x46, 0x1E),  # brown
]

# Softer colours for the sample decks (still all distinct).
SAMPLE_COLOURS = [
    (0x2E, 0x4A, 0x62),  # slate blue
    (0xE8, 0xD5, 0xB0),  # sand
    (0x5B, 0x8C, 0x6E),  # sage
    (0xC9, 0x6F, 0x4F),  # terracotta
    (0x8E, 0x7D, 0xB8),  # lavender
    (0xF2, 0xC1, 0x4E),  # saffron
]

MIN_CHANNEL_GAP = 64

EMU_PER_INCH = 914400
EMU_PER_PIXEL = 9525  # at 96 dpi

PASSWORD = "quillmere"


def hex_colour(rgb):
    return "%02X%02X%02X" % tuple(rgb)


def channel_gap(a, b):
    return max(abs(x - y) for x, y in zip(a, b))


def check_colour_table(colours):
    for i, a in enumerate(colours):
        for ref in ((0, 0, 0), (255, 255, 255)):
            if channel_gap(a, ref) < MIN_CHANNEL_GAP:
                raise SystemExit("colour %s too close to %s" % (hex_colour(a), hex_colour(ref)))
        for b in colours[i + 1:]:
            if channel_gap(a, b) < MIN_CHANNEL_GAP:
                raise SystemExit("colours %s and %s too close" % (hex_colour(a), hex_colour(b)))


def text_colour_for(rgb):
    """White on dark backgrounds, near-black on light ones."""
    r, g, b = rgb
    luma = 0.299 * r + 0.587 * g + 0.114 * b
    return (0xFF, 0xFF, 0xFF) if luma < 150 else (0x1A, 0x1A, 0x1A)


def colour_of_slide(n, colours=COLOURS):
    """The colour of slide n (1-based)."""
    return colours[(n - 1) % len(colours)]


def pixels(emu):
    """EMU to whole pixels at 96 dpi, rounded half up."""
    return (emu + EMU_PER_PIXEL // 2) // EMU_PER_PIXEL


# ---------------------------------------------------------------------------
# PresentationML parts

NS = ('xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" '
      'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" '
      'xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main"')
XML_DECL = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
REL_NS = "http://schemas.openxmlformats.org/package/2006/relationships"
R_OFFICE = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
CT_PML = "application/vnd.openxmlformats-officedocument.presentationml"

FONT = "Liberation Sans"


def rels_xml(rels):
    """rels: list of (id, type suffix or full URI, target); a target with "://" is external."""
    out = [XML_DECL, '<Relationships xmlns="%s">' % REL_NS]
    for rid, rtype, target in rels:
        if not rtype.startswith("http"):
            rtype = R_OFFICE + "/" + rtype
        mode = ' TargetMode="External"' if "://" in target else ""
        out.append('<Relationship Id="%s" Type="%s" Target="%s"%s/>' % (rid, rtype, escape(target), mode))
    out.append("</Relationships>")
    return "".join(out)


def content_types_xml(slide_count, overrides=()):
    out = [XML_DECL,
           '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">',
           '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>',
           '<Default Extension="xml" ContentType="application/xml"/>',
           '<Default Extension="png" ContentType="image/png"/>',
           '<Override PartName="/ppt/presentation.xml" ContentType="%s.presentation.main+xml"/>' % CT_PML,
           '<Override PartName="/ppt/slideMasters/slideMaster1.xml" ContentType="%s.slideMaster+xml"/>' % CT_PML,
           '<Override PartName="/ppt/slideLayouts/slideLayout1.xml" ContentType="%s.slideLayout+xml"/>' % CT_PML,
           '<Override PartName="/ppt/theme/theme1.xml" ContentType="application/vnd.openxmlformats-officedocument.theme+xml"/>',
           '<Override PartName="/ppt/presProps.xml" ContentType="%s.presProps+xml"/>' % CT_PML,
           '<Override PartName="/ppt/viewProps.xml" ContentType="%s.viewProps+xml"/>' % CT_PML,
           '<Override PartName="/ppt/tableStyles.xml" ContentType="%s.tableStyles+xml"/>' % CT_PML,
           '<Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>',
           '<Override PartName="/docProps/app.xml" ContentType="application/vnd.openxmlformats-officedocument.extended-properties+xml"/>']
    for n in range(1, slide_count + 1):
        out.append('<Override PartName="/ppt/slides/slide%d.xml" ContentType="%s.slide+xml"/>' % (n, CT_PML))
    for name, ctype in overrides:
        out.append('<Override PartName="%s" ContentType="%s"/>' % (name, ctype))
    out.append("</Types>")
    return "".join(out)


def core_xml(title):
    return (XML_DECL +
            '<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" '
            'xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" '
            'xmlns:dcmitype="http://purl.org/dc/dcmitype/" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">'
            '<dc:title>%s</dc:title><dc:creator>Quillmere make_decks.py</dc:creator>'
            '<dcterms:created xsi:type="dcterms:W3CDTF">2024-01-01T00:00:00Z</dcterms:created>'
            '<dcterms:modified xsi:type="dcterms:W3CDTF">2024-01-01T00:00:00Z</dcterms:modified>'
            '</cp:coreProperties>' % escape(title))


def app_xml(slide_count, hidden_count):
    return (XML_DECL +
            '<Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/extended-properties" '
            'xmlns:vt="http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes">'
            '<Application>Quillmere make_decks.py</Application>'
            '<Slides>%d</Slides><HiddenSlides>%d</HiddenSlides>'
            '</Properties>' % (slide_count, hidden_count))


def presentation_xml(cx, cy, slide_count):
    if (cx, cy) == (9144000, 6858000):
        size_type = ' type="screen4x3"'
    elif (cx, cy) == (9144000, 5143500):
        size_type = ' type="screen16x9"'
    else:
        size_type = ""  # custom
    ids = "".join('<p:sldId id="%d" r:id="rId%d"/>' % (255 + n, n + 1)
                  for n in range(1, slide_count + 1))
    levels = "".join(
        '<a:lvl%dpPr marL="%d" algn="l" defTabSz="914400" rtl="0" eaLnBrk="1" latinLnBrk="0" hangingPunct="1">'
        '<a:defRPr sz="1800" kern="1200"><a:solidFill><a:schemeClr val="tx1"/></a:solidFill>'
        '<a:latin typeface="+mn-lt"/><a:ea typeface="+mn-ea"/><a:cs typeface="+mn-cs"/></a:defRPr>'
        '</a:lvl%dpPr>' % (i, (i - 1) * 457200, i) for i in range(1, 10))
    return (XML_DECL +
            '<p:presentation %s saveSubsetFonts="1">' % NS +
            '<p:sldMasterIdLst><p:sldMasterId id="2147483648" r:id="rId1"/></p:sldMasterIdLst>'
            '<p:sldIdLst>%s</p:sldIdLst>' % ids +
            '<p:sldSz cx="%d" cy="%d"%s/>' % (cx, cy, size_type) +
            '<p:notesSz cx="6858000" cy="9144000"/>'
            '<p:defaultTextStyle><a:defPPr><a:defRPr lang="en-US"/></a:defPPr>%s</p:defaultTextStyle>' % levels +
            '</p:presentation>')


PRES_PROPS = (XML_DECL + '<p:presentationPr %s/>' % NS)
VIEW_PROPS = (XML_DECL + '<p:viewPr %s><p:gridSpacing cx="76200" cy="76200"/></p:viewPr>' % NS)
TABLE_STYLES = (XML_DECL + '<a:tblStyleLst xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" '
                'def="{5C22544A-7EE6-4342-B048-85BDC9FD1C3A}"/>')


def theme_xml():
    colours = [("dk1", '<a:srgbClr val="000000"/>'), ("lt1", '<a:srgbClr val="FFFFFF"/>'),
               ("dk2", '<a:srgbClr val="1F2A36"/>'), ("lt2", '<a:srgbClr val="EEECE1"/>'),
               ("accent1", '<a:srgbClr val="4F81BD"/>'), ("accent2", '<a:srgbClr val="C0504D"/>'),
               ("accent3", '<a:srgbClr val="9BBB59"/>'), ("accent4", '<a:srgbClr val="8064A2"/>'),
               ("accent5", '<a:srgbClr val="4BACC6"/>'), ("accent6", '<a:srgbClr val="F79646"/>'),
               ("hlink", '<a:srgbClr val="0000FF"/>'), ("folHlink", '<a:srgbClr val="800080"/>')]
    clr = "".join("<a:%s>%s</a:%s>" % (n, v, n) for n, v in colours)
    fonts = ('<a:majorFont><a:latin typeface="%s"/><a:ea typeface=""/><a:cs typeface=""/></a:majorFont>'
             '<a:minorFont><a:latin typeface="%s"/><a:ea typeface=""/><a:cs typeface=""/></a:minorFont>'
             % (FONT, FONT))
    solid = '<a:solidFill><a:schemeClr val="phClr"/></a:solidFill>'
    line = ('<a:ln w="%d" cap="flat" cmpd="sng" algn="ctr"><a:solidFill><a:schemeClr val="phClr"/></a:solidFill>'
            '<a:prstDash val="solid"/></a:ln>')
    fmt = ('<a:fmtScheme name="Quillmere">'
           '<a:fillStyleLst>%s%s%s</a:fillStyleLst>' % (solid, solid, solid) +
           '<a:lnStyleLst>%s%s%s</a:lnStyleLst>' % (line % 9525, line % 25400, line % 38100) +
           '<a:effectStyleLst>%s</a:effectStyleLst>' % ('<a:effectStyle><a:effectLst/></a:effectStyle>' * 3) +
           '<a:bgFillStyleLst>%s%s%s</a:bgFillStyleLst>' % (solid, solid, solid) +
           '</a:fmtScheme>')
    return (XML_DECL +
            '<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" name="Quillmere">'
            '<a:themeElements><a:clrScheme name="Quillmere">%s</a:clrScheme>' % clr +
            '<a:fontScheme name="Quillmere">%s</a:fontScheme>%s</a:themeElements>' % (fonts, fmt) +
            '<a:objectDefaults/><a:extraClrSchemeLst/></a:theme>')


EMPTY_TREE_HEAD = ('<p:nvGrpSpPr><p:cNvPr id="1" name=""/><p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr>'
                   '<p:grpSpPr><a:xfrm><a:off x="0" y="0"/><a:ext cx="0" cy="0"/>'
                   '<a:chOff x="0" y="0"/><a:chExt cx="0" cy="0"/></a:xfrm></p:grpSpPr>')
CLR_MAP = ('<p:clrMap bg1="lt1" tx1="dk1" bg2="lt2" tx2="dk2" accent1="accent1" accent2="accent2" '
           'accent3="accent3" accent4="accent4" accent5="accent5" accent6="accent6" '
           'hlink="hlink" folHlink="folHlink"/>')


def master_xml():
    def style(tag, size):
        return ('<p:%s><a:lvl1pPr algn="l"><a:defRPr sz="%d" kern="1200"><a:solidFill><a:schemeClr val="tx1"/>'
                '</a:solidFill><a:latin typeface="+mn-lt"/><a:ea typeface="+mn-ea"/><a:cs typeface="+mn-cs"/>'
                '</a:defRPr></a:lvl1pPr></p:%s>' % (tag, size, tag))
    return (XML_DECL +
            '<p:sldMaster %s><p:cSld>' % NS +
            '<p:bg><p:bgPr><a:solidFill><a:srgbClr val="FFFFFF"/></a:solidFill><a:effectLst/></p:bgPr></p:bg>'
            '<p:spTree>%s</p:spTree></p:cSld>' % EMPTY_TREE_HEAD +
            CLR_MAP +
            '<p:sldLayoutIdLst><p:sldLayoutId id="2147483649" r:id="rId1"/></p:sldLayoutIdLst>'
            '<p:txStyles>%s%s%s</p:txStyles>' % (style("titleStyle", 4400), style("bodyStyle", 2800),
                                                 style("otherStyle", 1800)) +
            '</p:sldMaster>')


def layout_xml():
    return (XML_DECL +
            '<p:sldLayout %s type="blank" preserve="1"><p:cSld name="Blank">' % NS +
            '<p:spTree>%s</p:spTree></p:cSld>' % EMPTY_TREE_HEAD +
            '<p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr></p:sldLayout>')


def text_box(shape_id, name, x, y, w, h, paragraphs, anchor="ctr", wrap="square"):
    """paragraphs: list of (text, size_in_points, rgb, bold, align, bullet)."""
    paras = []
    for text, size, rgb, bold, align, bullet in paragraphs:
        ppr = '<a:pPr algn="%s"' % align
        if bullet:
            ppr += ' marL="342900" indent="-342900"><a:buFont typeface="Arial"/><a:buChar char="&#8226;"/></a:pPr>'
        else:
            ppr += '><a:buNone/></a:pPr>'
        paras.append('<a:p>%s<a:r><a:rPr lang="en-US" sz="%d" b="%d" dirty="0">'
                     '<a:solidFill><a:srgbClr val="%s"/></a:solidFill>'
                     '<a:latin typeface="%s"/><a:cs typeface="%s"/></a:rPr><a:t>%s</a:t></a:r></a:p>'
                     % (ppr, int(size * 100), 1 if bold else 0, hex_colour(rgb), FONT, FONT, escape(text)))
    return ('<p:sp><p:nvSpPr><p:cNvPr id="%d" name="%s"/><p:cNvSpPr txBox="1"/><p:nvPr/></p:nvSpPr>'
            '<p:spPr><a:xfrm><a:off x="%d" y="%d"/><a:ext cx="%d" cy="%d"/></a:xfrm>'
            '<a:prstGeom prst="rect"><a:avLst/></a:prstGeom><a:noFill/></p:spPr>'
            '<p:txBody><a:bodyPr wrap="%s" lIns="0" tIns="0" rIns="0" bIns="0" rtlCol="0" anchor="%s">'
            '<a:noAutofit/></a:bodyPr><a:lstStyle/>%s</p:txBody></p:sp>'
            % (shape_id, escape(name), x, y, w, h, wrap, anchor, "".join(paras)))


def bar_shape(shape_id, x, y, w, h, rgb):
    """A plain filled rectangle (an accent line)."""
    return ('<p:sp><p:nvSpPr><p:cNvPr id="%d" name="Accent"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr>'
            '<p:spPr><a:xfrm><a:off x="%d" y="%d"/><a:ext cx="%d" cy="%d"/></a:xfrm>'
            '<a:prstGeom prst="rect"><a:avLst/></a:prstGeom>'
            '<a:solidFill><a:srgbClr val="%s"/></a:solidFill><a:ln><a:noFill/></a:ln></p:spPr></p:sp>'
            % (shape_id, x, y, w, h, hex_colour(rgb)))


def slide_xml(background, shapes, hidden, timing=""):
    """timing: the slide's <p:timing> (its animations), or none."""
    return (XML_DECL +
            '<p:sld %s%s><p:cSld>' % (NS, ' show="0"' if hidden else "") +
            '<p:bg><p:bgPr><a:solidFill><a:srgbClr val="%s"/></a:solidFill><a:effectLst/></p:bgPr></p:bg>'
            % hex_colour(background) +
            '<p:spTree>%s%s</p:spTree></p:cSld>' % (EMPTY_TREE_HEAD, "".join(shapes)) +
            '<p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr>%s</p:sld>' % timing)


def number_shapes(n, cx, cy, background):
    """The slide number, large and centred, in a box covering the middle half."""
    size = min(200, max(24, round(cy / EMU_PER_INCH * 72 * 0.32)))
    return [text_box(2, "Slide number", cx // 4, cy // 4, cx // 2, cy // 2,
                     [(str(n), size, text_colour_for(background), True, "ctr", False)],
                     anchor="ctr", wrap="none")]


def write_zip(path, parts):
    """parts: list of (name, text or bytes). Fixed timestamps keep the output reproducible."""
    tmp = path + ".tmp"
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in parts:
            info = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            z.writestr(info, data.encode("utf-8") if isinstance(data, str) else data)
    os.replace(tmp, path)


def write_pptx(path, cx, cy, slides, title, media=None, links=None, parts_of=None, svg=False):
    """slides: list of (background rgb, [shape xml], hidden[, timing xml]).
    media: {slide number: [(relationship id, file name in ppt/media, bytes)]}, for pictures.
    links: {slide number: [(relationship id, URL)]}, for pictures linked, not embedded.
    parts_of: {slide number: [(relationship id, relationship type, part name under ppt/,
    bytes or text, content type)]}, for charts and embedded objects."""
    count = len(slides)
    overrides = [("/ppt/" + name, ctype) for entries in (parts_of or {}).values()
                 for _, _, name, _, ctype in entries]
    if svg:
        overrides.append(("/ppt/media/picture.svg", "image/svg+xml"))
    parts = [("[Content_Types].xml", content_types_xml(count, overrides)),
             ("_rels/.rels", rels_xml([
                 ("rId1", "officeDocument", "ppt/presentation.xml"),
                 ("rId2", "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
                  "docProps/core.xml"),
                 ("rId3", "extended-properties", "docProps/app.xml")])),
             ("docProps/core.xml", core_xml(title)),
             ("docProps/app.xml", app_xml(count, sum(1 for s in slides if s[2]))),
             ("ppt/presentation.xml", presentation_xml(cx, cy, count))]
    pres_rels = [("rId1", "slideMaster", "slideMasters/slideMaster1.xml")]
    pres_rels += [("rId%d" % (n + 1), "slide", "slides/slide%d.xml" % n) for n in range(1, count + 1)]
    pres_rels += [("rId%d" % (count + 2), "presProps", "presProps.xml"),
                  ("rId%d" % (count + 3), "viewProps", "viewProps.xml"),
                  ("rId%d" % (count + 4), "theme", "theme/theme1.xml"),
                  ("rId%d" % (count + 5), "tableStyles", "tableStyles.xml")]
    parts += [("ppt/_rels/presentation.xml.rels", rels_xml(pres_rels)),
              ("ppt/presProps.xml", PRES_PROPS),
              ("ppt/viewProps.xml", VIEW_PROPS),
              ("ppt/tableStyles.xml", TABLE_STYLES),
              ("ppt/theme/theme1.xml", theme_xml()),
              ("ppt/slideMasters/slideMaster1.xml", master_xml()),
              ("ppt/slideMasters/_rels/slideMaster1.xml.rels", rels_xml([
                  ("rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"),
                  ("rId2", "theme", "../theme/theme1.xml")])),
              ("ppt/slideLayouts/slideLayout1.xml", layout_xml()),
              ("ppt/slideLayouts/_rels/slideLayout1.xml.rels", rels_xml([
                  ("rId1", "slideMaster", "../slideMasters/slideMaster1.xml")]))]
    for n, (background, shapes, hidden, *timing) in enumerate(slides, 1):
        parts.append(("ppt/slides/slide%d.xml" % n, slide_xml(background, shapes, hidden, *timing)))
        slide_rels = [("rId1", "slideLayout", "../slideLayouts/slideLayout1.xml")]
        for rid, name, data in (media or {}).get(n, []):
            slide_rels.append((rid, "image", "../media/" + name))
            parts.append(("ppt/media/" + name, data))
        for rid, url in (links or {}).get(n, []):
            slide_rels.append((rid, "image", url))
        for rid, rtype, name, data, _ in (parts_of or {}).get(n, []):
            slide_rels.append((rid, rtype, "../" + name))
            parts.append(("ppt/" + name, data))
        parts.append(("ppt/slides/_rels/slide%d.xml.rels" % n, rels_xml(slide_rels)))
    write_zip(path, parts)


def picture_shape(shape_id, rid, x, y, w, h, linked=False):
    return ('<p:pic><p:nvPicPr><p:cNvPr id="%d" name="Picture %d"/><p:cNvPicPr/><p:nvPr/></p:nvPicPr>'
            '<p:blipFill><a:blip r:%s="%s"/><a:stretch><a:fillRect/></a:stretch></p:blipFill>'
            '<p:spPr><a:xfrm><a:off x="%d" y="%d"/><a:ext cx="%d" cy="%d"/></a:xfrm>'
            '<a:prstGeom prst="rect"><a:avLst/></a:prstGeom></p:spPr></p:pic>'
            % (shape_id, shape_id, "link" if linked else "embed", rid, x, y, w, h))


def solid_png(side, rgba):
    """A side x side 8-bit RGBA PNG of one colour: side * side * 4 bytes once decoded, under
    a megabyte on disk for a side of 15000 (deflate's best ratio is about 1000 to 1)."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    row = b"\x00" + bytes(rgba) * side  # filter type 0 (none)
    z = zlib.compressobj(9)
    idat = b"".join(z.compress(row) for _ in range(side)) + z.flush()
    header = struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", idat) + chunk(b"IEND", b"")


BOMB_SIDE = 15000


def write_bomb_deck(path):
    """One slide whose picture, a BOMB_SIDE x BOMB_SIDE PNG (900 MB as 32-bit pixels), fills
    the slide: what a zip bomb does to a renderer's memory. LibreOffice 7.4 peaks at about
    2.1 GB rendering it at 960 x 720."""
    cx, cy = SIZE_4X3
    png = solid_png(BOMB_SIDE, COLOURS[2] + (0xFF,))
    assert len(png) < 1 << 20, "the bomb's picture should take under 1 MB"
    slides = [(COLOURS[0], [picture_shape(2, "rId2", 0, 0, cx, cy)], False)]
    write_pptx(path, cx, cy, slides, "bomb", media={1: [("rId2", "image1.png", png)]})


def placeholder_shape(shape_id, ph, x, y, w, h):
    """An empty placeholder (`ph`: the attributes of its <p:ph>): the editing
    view shows a prompt in it ("Click to add Title"), the audience nothing."""
    return ('<p:sp><p:nvSpPr><p:cNvPr id="%d" name="Placeholder %d"/><p:cNvSpPr><a:spLocks noGrp="1"/>'
            '</p:cNvSpPr><p:nvPr><p:ph %s/></p:nvPr></p:nvSpPr>'
            '<p:spPr><a:xfrm><a:off x="%d" y="%d"/><a:ext cx="%d" cy="%d"/></a:xfrm></p:spPr>'
            '<p:txBody><a:bodyPr/><a:lstStyle/><a:p><a:endParaRPr lang="en-US" dirty="0"/></a:p></p:txBody></p:sp>'
            % (shape_id, shape_id, ph, x, y, w, h))


def line_shape(shape_id, x, y, w, h, rgb, width_emu):
    """A straight line from (x, y) to (x + w, y + h); width 0 is a hairline."""
    return ('<p:cxnSp><p:nvCxnSpPr><p:cNvPr id="%d" name="Line %d"/><p:cNvCxnSpPr/><p:nvPr/></p:nvCxnSpPr>'
            '<p:spPr><a:xfrm><a:off x="%d" y="%d"/><a:ext cx="%d" cy="%d"/></a:xfrm>'
            '<a:prstGeom prst="line"><a:avLst/></a:prstGeom>'
            '<a:ln w="%d"><a:solidFill><a:srgbClr val="%s"/></a:solidFill></a:ln></p:spPr></p:cxnSp>'
            % (shape_id, shape_id, x, y, w, h, width_emu, hex_colour(rgb)))


# The marks deck: what the editing view marks and the audience never sees.
# Regions are fractions of the slide (left, top, right, bottom); the tests
# read them from decks.json ("marks").
MARKS = {
    # slide 1: an empty title and an empty body placeholder
    "title_placeholder": (0.15, 0.04, 0.85, 0.20),
    "body_placeholder": (0.15, 0.28, 0.85, 0.72),
    # slide 2: a bar touching each edge, in the middle of that edge
    "edge_bars": {"top": (0.25, 0.0, 0.75, 0.05), "bottom": (0.25, 0.95, 0.75, 1.0),
                  "left": (0.0, 0.25, 0.05, 0.75), "right": (0.95, 0.25, 1.0, 0.75)},
    "edge_colours": {"top": COLOURS[2], "bottom": COLOURS[3], "left": COLOURS[4], "right": COLOURS[6]},
    # slide 3 (dark): a text box with a short line of text in its middle
    "text_box": (0.20, 0.30, 0.80, 0.70),
    # slide 4 (light): thin black lines across the middle half, off the pixel
    # grid: [height of the line, its width in EMU (0: a hairline)]
    "thin_lines": [[0.4037, 0], [0.7037, 12700]],
    "thin_line_colour": (0, 0, 0),
}


def write_marks_deck(path):
    cx, cy = SIZE_16X9

    def box(region):
        left, top = round(region[0] * cx), round(region[1] * cy)
        return left, top, round(region[2] * cx) - left, round(region[3] * cy) - top

    s1 = [placeholder_shape(2, 'type="title"', *box(MARKS["title_placeholder"])),
          placeholder_shape(3, 'type="body" idx="1"', *box(MARKS["body_placeholder"]))]
    s2 = [bar_shape(2 + i, *box(MARKS["edge_bars"][side]), MARKS["edge_colours"][side])
          for i, side in enumerate(("top", "bottom", "left", "right"))]
    x, y, w, h = box(MARKS["text_box"])
    s3 = [text_box(2, "Text box", x, y, w, h, [("Words on a dark slide", 18, (0xFF, 0xFF, 0xFF), False, "ctr", False)])]
    s4 = [line_shape(2 + i, cx // 4, int(y * cy), cx // 2, 0, MARKS["thin_line_colour"], width)
          for i, (y, width) in enumerate(MARKS["thin_lines"])]
    slides = [(colour_of_slide(n), shapes, False) for n, shapes in enumerate((s1, s2, s3, s4), 1)]
    write_pptx(path, cx, cy, slides, "marks")


def gradient_shape(shape_id, x, y, w, h, stops):
    """A rectangle filled with a linear gradient from left to right through
    `stops`, a list of (position 0 to 100000, rgb)."""
    gs = "".join('<a:gs pos="%d"><a:srgbClr val="%s"/></a:gs>' % (pos, hex_colour(rgb)) for pos, rgb in stops)
    return ('<p:sp><p:nvSpPr><p:cNvPr id="%d" name="Gradient %d"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr>'
            '<p:spPr><a:xfrm><a:off x="%d" y="%d"/><a:ext cx="%d" cy="%d"/></a:xfrm>'
            '<a:prstGeom prst="rect"><a:avLst/></a:prstGeom>'
            '<a:gradFill rotWithShape="1"><a:gsLst>%s</a:gsLst><a:lin ang="0" scaled="1"/></a:gradFill>'
            '<a:ln><a:noFill/></a:ln></p:spPr></p:sp>' % (shape_id, shape_id, x, y, w, h, gs))


def pattern_png(width, height):
    """An 8-bit RGB PNG whose every pixel differs from its neighbours: a picture
    that shows whether it is drawn in place and scaled as the export scales it."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\x00" + bytes((x * 37 + y * 11) % 256 if c == 0 else (x * 5 + y * 29) % 256 if c == 1
                                       else (x * y) % 256 for x in range(width) for c in range(3))
                    for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9))
            + chunk(b"IEND", b""))


def write_varied_deck(path):
    """Two numbered 16:9 slides with what plain numbered slides lack, kept off
    the corner sample points: a gradient of four stops and a picture on the
    first, a dark background with the same gradient and picture on the second."""
    cx, cy = SIZE_16X9
    stops = [(0, (200, 40, 40)), (33000, (240, 220, 60)), (66000, (40, 160, 60)), (100000, (40, 80, 200))]
    extra = [gradient_shape(3, cx // 5, cy * 78 // 100, cx * 3 // 5, cy // 10, stops),
             picture_shape(4, "rId2", cx * 2 // 5, cy // 50, cx // 5, cy // 5)]
    colours = [colour_of_slide(1), (20, 24, 40)]
    slides = [(colour, number_shapes(n, cx, cy, colour) + extra, False) for n, colour in enumerate(colours, 1)]
    png = pattern_png(48, 27)
    write_pptx(path, cx, cy, slides, "varied", media={n: [("rId2", "image%d.png" % n, png)] for n in (1, 2)})


# The colour of a linked picture: far from every slide colour, so a test can
# tell whether it reached the image.
LINKED_COLOUR = (255, 0, 255)


def filled_shape(shape_id, rid, x, y, w, h):
    """A rectangle whose fill is the picture linked (not embedded) as `rid`:
    a link LibreOffice's own blocking of linked content does not cover."""
    return ('<p:sp><p:nvSpPr><p:cNvPr id="%d" name="Filled %d"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr>'
            '<p:spPr><a:xfrm><a:off x="%d" y="%d"/><a:ext cx="%d" cy="%d"/></a:xfrm>'
            '<a:prstGeom prst="rect"><a:avLst/></a:prstGeom>'
            '<a:blipFill><a:blip r:link="%s"/><a:stretch><a:fillRect/></a:stretch></a:blipFill>'
            '<a:ln><a:noFill/></a:ln></p:spPr></p:sp>' % (shape_id, shape_id, x, y, w, h, rid))


def write_linked_deck(folder, url):
    """linked.pptx: one numbered 16:9 slide with a picture linked (not embedded)
    to `url`, covering the middle of the slide; linkedfill.pptx: the same with
    a rectangle filled with the linked picture instead; and linked.png, a
    picture of LINKED_COLOUR, for a file:// link to point at."""
    cx, cy = SIZE_16X9
    colour = colour_of_slide(1)
    box = (cx // 8, cy // 8, cx * 3 // 4, cy * 3 // 4)
    shapes = [picture_shape(3, "rId2", *box, linked=True)]
    write_pptx(os.path.join(folder, "linked.pptx"), cx, cy, [(colour, shapes, False)], "linked",
               links={1: [("rId2", url)]})
    write_pptx(os.path.join(folder, "linkedfill.pptx"), cx, cy, [(colour, [filled_shape(3, "rId2", *box)], False)],
               "linked fill", links={1: [("rId2", url)]})
    # linkedsvg.pptx: a picture whose SVG (its fallback a grey PNG) holds
    # nothing but a picture linked to `url`.
    svg = ('<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
           'width="64" height="64" viewBox="0 0 64 64">'
           '<image x="0" y="0" width="64" height="64" xlink:href="%s"/></svg>' % escape(url))
    svg_picture = picture_shape(3, "rId2", *box).replace(
        '<a:blip r:embed="rId2"/>',
        '<a:blip r:embed="rId2"><a:extLst><a:ext uri="{96DAC541-7B7A-43D3-8B79-37D633B846F1}">'
        '<asvg:svgBlip xmlns:asvg="http://schemas.microsoft.com/office/drawing/2016/SVG/main" r:embed="rId3"/>'
        '</a:ext></a:extLst></a:blip>')
    write_pptx(os.path.join(folder, "linkedsvg.pptx"), cx, cy, [(colour, [svg_picture], False)], "linked svg",
               media={1: [("rId2", "fallback.png", solid_png(64, (128, 128, 128, 0xFF))),
                          ("rId3", "picture.svg", svg)]},
               svg=True)
    write_bytes(os.path.join(folder, "linked.png"), solid_png(64, LINKED_COLOUR + (0xFF,)))


# What content.pptx holds, where, and in which colours: a test samples these
# points to tell a drawn object from a missing one. Boxes are fractions of the
# slide (left, top, width, height), kept off the corner sample points.
CONTENT_BOX = (0.2, 0.2, 0.6, 0.6)
CHART_BAR_COLOUR = (250, 200, 0)
TABLE_CELL_COLOUR = (0, 112, 192)
OBJECT_PICTURE_COLOUR = (0, 176, 80)
CT_OFFICE = "application/vnd.openxmlformats-officedocument"
C_NS = "http://schemas.openxmlformats.org/drawingml/2006/chart"


def frame_xfrm(tag, cx, cy, box):
    left, top, width, height = box
    return ('<%s><a:off x="%d" y="%d"/><a:ext cx="%d" cy="%d"/></%s>'
            % (tag, cx * left, cy * top, cx * width, cy * height, tag))


def chart_xml():
    """A clustered column chart with its values cached, as PowerPoint saves one:
    three columns of one series, each as high as the axis, in CHART_BAR_COLOUR,
    so the middle of the chart lies inside the middle column."""
    def cache(kind, values):
        points = "".join('<c:pt idx="%d"><c:v>%s</c:v></c:pt>' % (i, v) for i, v in enumerate(values))
        fmt = "<c:formatCode>General</c:formatCode>" if kind == "num" else ""
        return "<c:%sCache>%s<c:ptCount val=\"%d\"/>%s</c:%sCache>" % (kind, fmt, len(values), points, kind)
    return (XML_DECL +
            '<c:chartSpace xmlns:c="%s" xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" '
            'xmlns:r="%s"><c:roundedCorners val="0"/><c:chart><c:autoTitleDeleted val="1"/>'
            '<c:plotArea><c:layout/><c:barChart><c:barDir val="col"/><c:grouping val="clustered"/>'
            '<c:varyColors val="0"/><c:ser><c:idx val="0"/><c:order val="0"/>'
            '<c:tx><c:strRef><c:f>Sheet1!$B$1</c:f>%s</c:strRef></c:tx>'
            '<c:spPr><a:solidFill><a:srgbClr val="%s"/></a:solidFill></c:spPr><c:invertIfNegative val="0"/>'
            '<c:cat><c:strRef><c:f>Sheet1!$A$2:$A$4</c:f>%s</c:strRef></c:cat>'
            '<c:val><c:numRef><c:f>Sheet1!$B$2:$B$4</c:f>%s</c:numRef></c:val></c:ser>'
            '<c:gapWidth val="40"/><c:axId val="1"/><c:axId val="2"/></c:barChart>'
            '<c:catAx><c:axId val="1"/><c:scaling><c:orientation val="minMax"/></c:scaling><c:delete val="0"/>'
            '<c:axPos val="b"/><c:crossAx val="2"/></c:catAx>'
            '<c:valAx><c:axId val="2"/><c:scaling><c:orientation val="minMax"/><c:max val="4"/><c:min val="0"/>'
            '</c:scaling><c:delete val="0"/><c:axPos val="l"/><c:crossAx val="1"/></c:valAx></c:plotArea>'
            '<c:plotVisOnly val="1"/></c:chart>'
            '<c:spPr><a:solidFill><a:srgbClr val="FFFFFF"/></a:solidFill></c:spPr></c:chartSpace>'
            % (C_NS, R_OFFICE, cache("str", ["Sales"]), hex_colour(CHART_BAR_COLOUR),
               cache("str", ["North", "Middle", "South"]), cache("num", [4, 4, 4])))


def chart_frame(shape_id, rid, cx, cy):
    return ('<p:graphicFrame><p:nvGraphicFramePr><p:cNvPr id="%d" name="Chart %d"/><p:cNvGraphicFramePr/>'
            '<p:nvPr/></p:nvGraphicFramePr>%s<a:graphic><a:graphicData uri="%s">'
            '<c:chart xmlns:c="%s" r:id="%s"/></a:graphicData></a:graphic></p:graphicFrame>'
            % (shape_id, shape_id, frame_xfrm("p:xfrm", cx, cy, CONTENT_BOX), C_NS, C_NS, rid))


def table_frame(shape_id, cx, cy):
    """A 3 x 3 table whose cells are filled with TABLE_CELL_COLOUR, a letter in each."""
    _, _, width, height = CONTENT_BOX
    col, row = cx * width // 3, cy * height // 3
    cell = ('<a:tc><a:txBody><a:bodyPr/><a:lstStyle/><a:p><a:r><a:rPr lang="en-US" sz="1400">'
            '<a:latin typeface="%s"/></a:rPr><a:t>%s</a:t></a:r></a:p></a:txBody>'
            '<a:tcPr><a:solidFill><a:srgbClr val="%s"/></a:solidFill></a:tcPr></a:tc>')
    rows = "".join('<a:tr h="%d">%s</a:tr>' % (row, "".join(cell % (FONT, letter, hex_colour(TABLE_CELL_COLOUR))
                                                             for letter in letters))
                   for letters in ("ABC", "DEF", "GHI"))
    return ('<p:graphicFrame><p:nvGraphicFramePr><p:cNvPr id="%d" name="Table %d"/><p:cNvGraphicFramePr>'
            '<a:graphicFrameLocks noGrp="1"/></p:cNvGraphicFramePr><p:nvPr/></p:nvGraphicFramePr>%s'
            '<a:graphic><a:graphicData uri="http://schemas.openxmlformats.org/drawingml/2006/table">'
            '<a:tbl><a:tblPr/><a:tblGrid>%s</a:tblGrid>%s</a:tbl></a:graphicData></a:graphic></p:graphicFrame>'
            % (shape_id, shape_id, frame_xfrm("p:xfrm", cx, cy, CONTENT_BOX),
               '<a:gridCol w="%d"/>' % col * 3, rows))


def object_frame(shape_id, package_rid, picture_rid, cx, cy):
    """An embedded spreadsheet (an OLE object) with the picture PowerPoint stores
    of it, as a deck made by PowerPoint carries one."""
    _, _, width, height = CONTENT_BOX
    return ('<p:graphicFrame><p:nvGraphicFramePr><p:cNvPr id="%d" name="Object %d"/><p:cNvGraphicFramePr>'
            '<a:graphicFrameLocks noChangeAspect="1"/></p:cNvGraphicFramePr><p:nvPr/></p:nvGraphicFramePr>%s'
            '<a:graphic><a:graphicData uri="http://schemas.openxmlformats.org/presentationml/2006/ole">'
            '<p:oleObj name="Worksheet" r:id="%s" imgW="%d" imgH="%d" progId="Excel.Sheet.12"><p:embed/>'
            '<p:pic><p:nvPicPr><p:cNvPr id="0" name=""/><p:cNvPicPr/><p:nvPr/></p:nvPicPr>'
            '<p:blipFill><a:blip r:embed="%s"/><a:stretch><a:fillRect/></a:stretch></p:blipFill>'
            '<p:spPr>%s<a:prstGeom prst="rect"><a:avLst/></a:prstGeom></p:spPr></p:pic></p:oleObj>'
            '</a:graphicData></a:graphic></p:graphicFrame>'
            % (shape_id, shape_id, frame_xfrm("p:xfrm", cx, cy, CONTENT_BOX), package_rid,
               cx * width, cy * height, picture_rid, frame_xfrm("a:xfrm", cx, cy, CONTENT_BOX)))


def write_content_deck(path):
    """content.pptx: three 16:9 slides with what real decks carry and numbered
    slides lack, each filling CONTENT_BOX: a column chart (an embedded chart
    object), a table, and an embedded spreadsheet shown by its stored picture."""
    cx, cy = SIZE_16X9
    with tempfile.TemporaryDirectory(prefix="qm-decks-xlsx-") as tmp:
        minimal_xlsx(os.path.join(tmp, "sheet.xlsx"))
        with open(os.path.join(tmp, "sheet.xlsx"), "rb") as f:
            sheet = f.read()
    picture = solid_png(64, OBJECT_PICTURE_COLOUR + (0xFF,))
    slides = [(colour_of_slide(n), [shape], False) for n, shape in enumerate(
        [chart_frame(2, "rId2", cx, cy), table_frame(2, cx, cy), object_frame(2, "rId2", "rId3", cx, cy)], 1)]
    write_pptx(path, cx, cy, slides, "content",
               media={3: [("rId3", "object3.png", picture)]},
               parts_of={1: [("rId2", "chart", "charts/chart1.xml", chart_xml(), CT_OFFICE + ".drawingml.chart+xml")],
                         3: [("rId2", "package", "embeddings/Sheet1.xlsx", sheet,
                              CT_OFFICE + ".spreadsheetml.sheet")]})


def write_widescreen_content_deck(path):
    """widecontent.pptx: four numbered slides of PowerPoint's default 13.333 x 7.5 in with
    what shows a picture drawn a fraction of a pixel off: words against the right and
    bottom edges, a picture that fills the slide, a table, and a gradient across it
    between bars along the edges."""
    cx, cy = SIZE_WIDESCREEN
    stops = [(0, (200, 40, 40)), (33000, (240, 220, 60)), (66000, (40, 160, 60)), (100000, (40, 80, 200))]
    edge_words = text_box(3, "Edge words", cx // 2, cy - cy // 8, cx // 2, cy // 8,
                          [("Words against the bottom right edge", 20, (0, 0, 0), False, "r", False)],
                          anchor="b")
    bars = [bar_shape(4, 0, 0, cx, cy // 40, (200, 40, 40)), bar_shape(5, 0, cy - cy // 40, cx, cy // 40, (40, 80, 200)),
            bar_shape(6, 0, 0, cx // 60, cy, (40, 160, 60)), bar_shape(7, cx - cx // 60, 0, cx // 60, cy, (240, 220, 60))]
    shapes = [number_shapes(1, cx, cy, colour_of_slide(1)) + [edge_words],
              [picture_shape(2, "rId2", 0, 0, cx, cy)],
              [table_frame(2, cx, cy)],
              [gradient_shape(2, cx // 30, cy // 3, cx - cx // 15, cy // 3, stops)] + bars]
    slides = [(colour_of_slide(n), page, False) for n, page in enumerate(shapes, 1)]
    write_pptx(path, cx, cy, slides, "widescreen content",
               media={2: [("rId2", "full.png", pattern_png(160, 90))]})


# ---------------------------------------------------------------------------
# What a slide holds beyond its picture: animations, notes, fonts

# The shapes of the click decks, one colour each, in the order they enter.
CLICK_COLOURS = [COLOURS[0], COLOURS[1], COLOURS[2]]
CLICK_BACKGROUND = (0xFF, 0xFF, 0xFF)
# A font that no machine has: a deck set in it is drawn with another.
MISSING_FONT = "Quillmere Nowhere Sans"


def click_boxes(cx, cy):
    """Three squares side by side across the middle of the slide: (x, y, side) each."""
    side = cx // 5
    gap = (cx - 3 * side) // 4
    return [(gap + i * (side + gap), (cy - side) // 2, side) for i in range(3)]


def visibility_effect(ctn_id, shape_id, preset_class, node_type, paragraph=None):
    """One effect that sets a shape's visibility at once (PowerPoint's Appear or
    Disappear): preset_class "entr" or "exit", node_type clickEffect,
    withEffect or afterEffect; on one paragraph (0-based) of its text when given."""
    value = "visible" if preset_class == "entr" else "hidden"
    target = ('<p:spTgt spid="%d"/>' % shape_id if paragraph is None else
              '<p:spTgt spid="%d"><p:txEl><p:pRg st="%d" end="%d"/></p:txEl></p:spTgt>'
              % (shape_id, paragraph, paragraph))
    return ('<p:par><p:cTn id="%d" presetID="1" presetClass="%s" presetSubtype="0" fill="hold" '
            'nodeType="%s"><p:stCondLst><p:cond delay="0"/></p:stCondLst><p:childTnLst>'
            '<p:set><p:cBhvr><p:cTn id="%d" dur="1" fill="hold"><p:stCondLst><p:cond delay="0"/>'
            '</p:stCondLst></p:cTn><p:tgtEl>%s</p:tgtEl><p:attrNameLst>'
            '<p:attrName>style.visibility</p:attrName></p:attrNameLst></p:cBhvr>'
            '<p:to><p:strVal val="%s"/></p:to></p:set></p:childTnLst></p:cTn></p:par>'
            % (ctn_id, preset_class, node_type, ctn_id + 1, target, value))


def timing_xml(clicks):
    """<p:timing> of a main sequence. clicks: list of clicks, each a list of
    (shape id, "entr" or "exit", node type[, paragraph]) run on that click in order;
    an afterEffect starts once the effects before it end, a withEffect with them."""
    next_id = [3]

    def new_id(count=1):
        value = next_id[0]
        next_id[0] += count
        return value

    click_pars = []
    for effects in clicks:
        click_id = new_id()
        groups = []  # each a list of effects that start together
        for effect in effects:
            if not groups or effect[2] == "afterEffect":
                groups.append([effect])
            else:
                groups[-1].append(effect)
        group_xml = []
        for delay, group in enumerate(groups):
            group_id = new_id()
            inner = "".join(visibility_effect(new_id(2), *effect) for effect in group)
            group_xml.append('<p:par><p:cTn id="%d" fill="hold"><p:stCondLst><p:cond delay="%d"/></p:stCondLst>'
                             '<p:childTnLst>%s</p:childTnLst></p:cTn></p:par>' % (group_id, delay, inner))
        click_pars.append('<p:par><p:cTn id="%d" fill="hold"><p:stCondLst><p:cond delay="indefinite"/>'
                          '</p:stCondLst><p:childTnLst>%s</p:childTnLst></p:cTn></p:par>'
                          % (click_id, "".join(group_xml)))
    return ('<p:timing><p:tnLst><p:par><p:cTn id="1" dur="indefinite" restart="never" nodeType="tmRoot">'
            '<p:childTnLst><p:seq concurrent="1" nextAc="seek"><p:cTn id="2" dur="indefinite" '
            'nodeType="mainSeq"><p:childTnLst>%s</p:childTnLst></p:cTn>'
            '<p:prevCondLst><p:cond evt="onPrev" delay="0"><p:tgtEl><p:sldTgt/></p:tgtEl></p:cond></p:prevCondLst>'
            '<p:nextCondLst><p:cond evt="onNext" delay="0"><p:tgtEl><p:sldTgt/></p:tgtEl></p:cond></p:nextCondLst>'
            '</p:seq></p:childTnLst></p:cTn></p:par></p:tnLst></p:timing>' % "".join(click_pars))


def write_clicks_deck(path):
    """clicks.pptx: two 16:9 slides on white. Slide 1: three squares (red, green,
    blue, left to right) that enter one per click, so its states show none, one,
    two and three squares. Slide 2: the three squares shown from the start; the
    first click takes the red one away; the second takes the green one away and
    the blue one with it. Slide 3 has no animation. Slide 4: three lines of black
    text that enter one paragraph per click."""
    cx, cy = SIZE_16X9
    squares = [bar_shape(10 + i, x, y, side, side, CLICK_COLOURS[i]) for i, (x, y, side) in enumerate(click_boxes(cx, cy))]
    enter = timing_xml([[(10, "entr", "clickEffect")], [(11, "entr", "clickEffect")], [(12, "entr", "clickEffect")]])
    leave = timing_xml([[(10, "exit", "clickEffect")], [(11, "exit", "clickEffect"), (12, "exit", "withEffect")]])
    lines = text_box(20, "Lines", cx // 10, cy // 10, cx * 8 // 10, cy * 8 // 10,
                     [("Line %d" % n, 40, (0, 0, 0), True, "l", False) for n in (1, 2, 3)], anchor="t")
    by_paragraph = timing_xml([[(20, "entr", "clickEffect", p)] for p in range(3)])
    slides = [(CLICK_BACKGROUND, squares, False, enter), (CLICK_BACKGROUND, squares, False, leave),
              (CLICK_BACKGROUND, squares, False), (CLICK_BACKGROUND, [lines], False, by_paragraph)]
    write_pptx(path, cx, cy, slides, "clicks")


def notes_slide_xml(text):
    """A notes page holding `text` (paragraphs split at line feeds) in its notes placeholder."""
    paras = "".join('<a:p><a:r><a:rPr lang="en-US"/><a:t>%s</a:t></a:r></a:p>' % escape(line)
                    for line in text.split("\n"))
    return (XML_DECL + '<p:notes %s><p:cSld><p:spTree>%s' % (NS, EMPTY_TREE_HEAD) +
            '<p:sp><p:nvSpPr><p:cNvPr id="2" name="Slide Image"/><p:cNvSpPr><a:spLocks noGrp="1" '
            'noRot="1" noChangeAspect="1"/></p:cNvSpPr><p:nvPr><p:ph type="sldImg"/></p:nvPr></p:nvSpPr>'
            '<p:spPr/></p:sp>'
            '<p:sp><p:nvSpPr><p:cNvPr id="3" name="Notes"/><p:cNvSpPr><a:spLocks noGrp="1"/></p:cNvSpPr>'
            '<p:nvPr><p:ph type="body" idx="1"/></p:nvPr></p:nvSpPr><p:spPr/>'
            '<p:txBody><a:bodyPr/><a:lstStyle/>%s</p:txBody></p:sp>' % paras +
            '</p:spTree></p:cSld><p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr></p:notes>')


def title_shape(shape_id, text, cx, cy):
    """A title placeholder along the top of the slide."""
    return ('<p:sp><p:nvSpPr><p:cNvPr id="%d" name="Title"/><p:cNvSpPr><a:spLocks noGrp="1"/></p:cNvSpPr>'
            '<p:nvPr><p:ph type="title"/></p:nvPr></p:nvSpPr><p:spPr><a:xfrm><a:off x="%d" y="%d"/>'
            '<a:ext cx="%d" cy="%d"/></a:xfrm></p:spPr><p:txBody><a:bodyPr/><a:lstStyle/>'
            '<a:p><a:r><a:rPr lang="en-US" sz="3200"><a:latin typeface="%s"/></a:rPr><a:t>%s</a:t></a:r></a:p>'
            '</p:txBody></p:sp>' % (shape_id, cx // 20, cy // 20, cx - cx // 10, cy // 6, FONT, escape(text)))


# notes.pptx's slides: (title or None, notes or None), and the deck's manifest entry.
NOTES_SLIDES = [("Quarterly figures", "Say the figures slowly.\nThen take questions."),
                (None, None),
                ("Äpfel & Birnen", "Notizen auf Deutsch: Grüße")]


def write_notes_deck(path):
    """notes.pptx would clash with the plain-text file of that name: notes3.pptx,
    three numbered 16:9 slides with the titles and speaker notes of NOTES_SLIDES."""
    cx, cy = SIZE_16X9
    slides = []
    parts_of = {}
    for n, (title, notes) in enumerate(NOTES_SLIDES, 1):
        shapes = number_shapes(n, cx, cy, colour_of_slide(n))
        if title is not None:
            shapes.append(title_shape(3, title, cx, cy))
        slides.append((colour_of_slide(n), shapes, False))
        if notes is not None:
            parts_of[n] = [("rId9", "notesSlide", "notesSlides/notesSlide%d.xml" % n, notes_slide_xml(notes),
                            CT_PML + ".notesSlide+xml")]
    write_pptx(path, cx, cy, slides, "notes", parts_of=parts_of)


def write_missing_font_deck(path):
    """fonts.pptx: one numbered 16:9 slide with a line set in MISSING_FONT."""
    cx, cy = SIZE_16X9
    line = text_box(3, "Missing font", cx // 10, cy // 10, cx - cx // 5, cy // 8,
                    [("Set in a font nobody has", 24, (0, 0, 0), False, "l", False)])
    line = line.replace('typeface="%s"' % FONT, 'typeface="%s"' % MISSING_FONT)
    write_pptx(path, cx, cy, [(colour_of_slide(1), number_shapes(1, cx, cy, colour_of_slide(1)) + [line], False)],
               "fonts")


def write_numbered_deck(path, cx, cy, count, hidden=()):
    slides = []
    for n in range(1, count + 1):
        colour = colour_of_slide(n)
        slides.append((colour, number_shapes(n, cx, cy, colour), n in hidden))
    write_pptx(path, cx, cy, slides, os.path.splitext(os.path.basename(path))[0])


def minimal_xlsx(path):
    """A real (tiny) spreadsheet: a valid OOXML package, but not a presentation."""
    ss = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
    parts = [
        ("[Content_Types].xml", XML_DECL +
         '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
         '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
         '<Default Extension="xml" ContentType="application/xml"/>'
         '<Override PartName="/xl/workbook.xml" '
         'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
         '<Override PartName="/xl/worksheets/sheet1.xml" '
         'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
         '</Types>'),
        ("_rels/.rels", rels_xml([("rId1", "officeDocument", "xl/workbook.xml")])),
        ("xl/workbook.xml", XML_DECL +
         '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/>'
         '</sheets></workbook>' % (ss, R_OFFICE)),
        ("xl/_rels/workbook.xml.rels", rels_xml([("rId1", "worksheet", "worksheets/sheet1.xml")])),
        ("xl/worksheets/sheet1.xml", XML_DECL +
         '<worksheet xmlns="%s"><sheetData>'
         '<row r="1"><c r="A1" t="inlineStr"><is><t>Quillmere</t></is></c><c r="B1"><v>42</v></c></row>'
         '</sheetData></worksheet>' % ss),
    ]
    write_zip(path, parts)


# ---------------------------------------------------------------------------
# LibreOffice steps

def find_soffice():
    for name in ("soffice", "libreoffice"):
        path = shutil.which(name)
        if path:
            return path
    return None


class Office:
    """Runs soffice headless with a throwaway profile (never the user's)."""

    def __init__(self, soffice):
        self.soffice = soffice
        self.profile = tempfile.mkdtemp(prefix="qm-decks-profile-")

    def close(self):
        shutil.rmtree(self.profile, ignore_errors=True)

    def run(self, args, timeout=300):
        cmd = [self.soffice, "-env:UserInstallation=file://" + self.profile,
               "--headless", "--invisible", "--nologo", "--norestore", "--nodefault",
               "--nofirststartwizard"] + args
        env = dict(os.environ)
        env.setdefault("SAL_USE_VCLPLUGIN", "svp")
        # A session of its own, so that a hung soffice (and its soffice.bin
        # child) can be ended as one process group.
        proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                env=env, text=True, start_new_session=True)
        try:
            output, _ = proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.communicate()
            raise SystemExit("make_decks: soffice did not finish within %d s: %s" % (timeout, " ".join(cmd)))
        return proc.returncode, output

    def convert(self, sources, fmt, outdir):
        """Converts each source to `fmt` into outdir; returns the written paths."""
        code, output = self.run(["--convert-to", fmt, "--outdir", outdir] + list(sources))
        ext = fmt.split(":")[0]
        written = []
        for src in sources:
            dst = os.path.join(outdir, os.path.splitext(os.path.basename(src))[0] + "." + ext)
            if not os.path.isfile(dst) or os.path.getsize(dst) == 0:
                raise SystemExit("make_decks: soffice did not convert %s to %s (exit %d):\n%s"
                                 % (src, fmt, code, output))
            written.append(dst)
        return written

    # A Basic library in the throwaway profile stores a loaded document with a
    # password (the command line's --convert-to has no way to pass one).
    BASIC_MODULE = """<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE script:module PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" "module.dtd">
<script:module xmlns:script="http://openoffice.org/2000/script" script:name="Module1" script:language="StarBasic">
Function LoadHidden(sIn As String)
  Dim aLoad(0) As New com.sun.star.beans.PropertyValue
  aLoad(0).Name = &quot;Hidden&quot;
  aLoad(0).Value = True
  LoadHidden = StarDesktop.loadComponentFromURL(ConvertToURL(sIn), &quot;_blank&quot;, 0, aLoad())
End Function

REM Stores sIn as sOut with sFilter, encrypted with sPassword. ODF filters take
REM the Password property; the OOXML filter takes EncryptionData (OOXPassword).
REM A failure is written to sOut.error, for make_decks.py to report.
Sub SaveWithPassword(sIn As String, sOut As String, sFilter As String, sPassword As String, sKind As String)
  Dim oDoc As Object
  Dim aEncryption(1) As New com.sun.star.beans.NamedValue
  Dim aSave(1) As New com.sun.star.beans.PropertyValue
  On Error GoTo Failed
  oDoc = LoadHidden(sIn)
  aSave(0).Name = &quot;FilterName&quot;
  aSave(0).Value = sFilter
  If sKind = &quot;ooxml&quot; Then
    aEncryption(0).Name = &quot;OOXPassword&quot;
    aEncryption(0).Value = sPassword
    aEncryption(1).Name = &quot;CryptoType&quot;
    aEncryption(1).Value = &quot;Standard&quot;
    aSave(1).Name = &quot;EncryptionData&quot;
    aSave(1).Value = aEncryption()
  Else
    aSave(1).Name = &quot;Password&quot;
    aSave(1).Value = sPassword
  End If
  oDoc.storeToURL(ConvertToURL(sOut), aSave())
  oDoc.close(True)
  Exit Sub
Failed:
  On Error Resume Next
  iFile = FreeFile
  Open sOut &amp; &quot;.error&quot; For Output As #iFile
  Print #iFile, &quot;line &quot; &amp; Erl &amp; &quot;: &quot; &amp; Error$
  Close #iFile
  If Not IsNull(oDoc) Then oDoc.close(True)
End Sub
</script:module>
"""
    BASIC_LIB = """<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE library:library PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" "library.dtd">
<library:library xmlns:library="http://openoffice.org/2000/library" library:name="Standard" library:readonly="false" library:passwordprotected="false">
 <library:element library:name="Module1"/>
</library:library>
"""
    BASIC_CONTAINER = """<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE library:libraries PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" "libraries.dtd">
<library:libraries xmlns:library="http://openoffice.org/2000/library" xmlns:xlink="http://www.w3.org/1999/xlink">
 <library:library library:name="Standard" xlink:href="$(USER)/basic/Standard/script.xlb/" xlink:type="simple" library:link="false"/>
</library:libraries>
"""

    def save_with_password(self, src, dst, filter_name, password):
        basic = os.path.join(self.profile, "user", "basic")
        os.makedirs(os.path.join(basic, "Standard"), exist_ok=True)
        with open(os.path.join(basic, "script.xlc"), "w") as f:
            f.write(self.BASIC_CONTAINER)
        with open(os.path.join(basic, "Standard", "script.xlb"), "w") as f:
            f.write(self.BASIC_LIB)
        with open(os.path.join(basic, "Standard", "Module1.xba"), "w") as f:
            f.write(self.BASIC_MODULE)
        if os.path.exists(dst):
            os.remove(dst)
        q = lambda s: '"' + s.replace('"', '""') + '"'
        kind = "ooxml" if "2007" in filter_name else "odf"
        url = "macro:///Standard.Module1.SaveWithPassword(%s,%s,%s,%s,%s)" % (
            q(os.path.abspath(src)), q(os.path.abspath(dst)), q(filter_name), q(password), q(kind))
        code, output = self.run([url])
        if os.path.exists(dst + ".error"):
            with open(dst + ".error") as f:
                message = f.read()
            os.remove(dst + ".error")
            raise SystemExit("make_decks: soffice could not save %s with a password: %s" % (dst, message))
        if not os.path.isfile(dst) or os.path.getsize(dst) == 0:
            raise SystemExit("make_decks: soffice did not write the password-protected %s (exit %d):\n%s"
                             % (dst, code, output))

    def ensure_profile(self):
        """Lets soffice lay out the fresh profile (it replaces a user/basic it did not make)."""
        if not os.path.isfile(os.path.join(self.profile, "user", "basic", "script.xlc")):
            self.run(["--terminate_after_init"])


# ---------------------------------------------------------------------------
# The test set

INCH = EMU_PER_INCH
SIZE_4X3 = (9144000, 6858000)     # 10 x 7.5 in  -> 960 x 720 px
SIZE_16X9 = (9144000, 5143500)    # 10 x 5.625 in -> 960 x 540 px
SIZE_CUSTOM = (8 * INCH, 6 * INCH)  # 8 x 6 in   -> 768 x 576 px
# PowerPoint's own widescreen size, 13.333 x 7.5 in -> 1280 x 720 px: LibreOffice's
# slide renderer draws it a row short (1280 x 719).
SIZE_WIDESCREEN = (12192000, 6858000)
# PowerPoint's "A4 paper" slide, 10.833 x 7.5 in -> 1040 x 720 px (the renderer: 1040 x 719),
# and 16:10, 10 x 6.25 in -> 960 x 600 px.
SIZE_A4 = (9906000, 6858000)
SIZE_16X10 = (9144000, 5715000)

# name -> (size, slide count, hidden slide numbers)
TEST_DECKS = {
    "wide3.pptx": (SIZE_16X9, 3, ()),
    "std4.pptx": (SIZE_4X3, 4, ()),
    "hidden5.pptx": (SIZE_16X9, 5, (3,)),
    "custom2.pptx": (SIZE_CUSTOM, 2, ()),
    "widescreen2.pptx": (SIZE_WIDESCREEN, 2, ()),
    "a4paper2.pptx": (SIZE_A4, 2, ()),
    "ratio16x10_2.pptx": (SIZE_16X10, 2, ()),
}
PPT_FROM = ["std4.pptx", "wide3.pptx", "widecontent.pptx", "a4paper2.pptx"]  # each converted to the .ppt of the same name
ODP_FROM = ["widescreen2.pptx"]  # each converted to the .odp of the same name (a size the renderer misses)
# password-protected copies: name -> (source deck, LibreOffice filter)
PASSWORD_DECKS = {
    "password.pptx": ("wide3.pptx", "Impress MS PowerPoint 2007 XML"),
    "password.odp": ("wide3.pptx", "impress8"),
}
BROKEN = {
    "notes.pptx": "a plain text file named .pptx",
    "empty.pptx": "an empty (0-byte) file named .pptx; LibreOffice 7.4 opens it as a new, blank "
                  "one-slide presentation, so only a caller that checks for it sees it as broken",
    "truncated.pptx": "the first half of std4.pptx",
    "sheet.xlsx": "a real, valid spreadsheet (not a presentation)",
    "bomb.pptx": "a memory bomb: one 4:3 slide whose picture is a %d x %d RGBA PNG of one colour, "
                 "under 1 MB on disk; rendering it makes LibreOffice use about 2 GB" % (BOMB_SIDE, BOMB_SIDE),
}


def deck_entry(fmt, size, count, hidden, password=None):
    cx, cy = size
    return {
        "format": fmt,
        "slides": count,
        "size_emu": [cx, cy],
        "size_px": [pixels(cx), pixels(cy)],
        "hidden": sorted(hidden),
        "colours": [list(colour_of_slide(n)) for n in range(1, count + 1)],
        "password": password,
    }


def marks_entry():
    entry = dict(MARKS)
    entry["edge_colours"] = {k: list(v) for k, v in MARKS["edge_colours"].items()}
    entry["thin_line_colour"] = list(MARKS["thin_line_colour"])
    return entry


def write_manifest(path, decks, broken, skipped):
    manifest = {
        "generator": "tools/make_decks.py",
        "about": "Slide n (1-based) of a deck has the solid background colours[n-1] and its number in large type "
                 "in the middle; points at sample_inset from each corner show the pure background. "
                 "size_px is the slide size at 96 dpi (EMU / 9525, rounded).",
        "colour_table": [list(c) for c in COLOURS],
        "tolerance": 24,
        "sample_inset": 0.1,
        "decks": decks,
        "marks": marks_entry(),
        "broken": broken,
        "skipped": skipped,
    }
    # Indented, but with each innermost list (a size, a colour) on one line.
    text = re.sub(r"\[\s+([^\[\]{}]*?)\s+\]",
                  lambda m: "[" + re.sub(r"\s+", " ", m.group(1)) + "]",
                  json.dumps(manifest, indent=1))
    tmp = path + ".tmp"
    with open(tmp, "w") as f:
        f.write(text + "\n")
    os.replace(tmp, path)


def write_bytes(path, data):
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def make_test_set(out):
    decks = {}
    for name, (size, count, hidden) in TEST_DECKS.items():
        write_numbered_deck(os.path.join(out, name), size[0], size[1], count, hidden)
        decks[name] = deck_entry("pptx", size, count, hidden)

    with open(os.path.join(out, "std4.pptx"), "rb") as f:
        std4 = f.read()
    write_bytes(os.path.join(out, "notes.pptx"),
                b"Quillmere test file.\nThis is plain text, not a presentation.\n")
    write_bytes(os.path.join(out, "empty.pptx"), b"")
    write_bytes(os.path.join(out, "truncated.pptx"), std4[:len(std4) // 2])
    minimal_xlsx(os.path.join(out, "sheet.xlsx"))
    write_marks_deck(os.path.join(out, "marks.pptx"))
    decks["marks.pptx"] = deck_entry("pptx", SIZE_16X9, 4, ())
    write_varied_deck(os.path.join(out, "varied2.pptx"))
    decks["varied2.pptx"] = dict(deck_entry("pptx", SIZE_16X9, 2, ()),
                                 colours=[list(colour_of_slide(1)), [20, 24, 40]])
    write_content_deck(os.path.join(out, "content.pptx"))
    decks["content.pptx"] = dict(deck_entry("pptx", SIZE_16X9, 3, ()),
                                 content={"box": list(CONTENT_BOX),
                                          "colours": [list(CHART_BAR_COLOUR), list(TABLE_CELL_COLOUR),
                                                      list(OBJECT_PICTURE_COLOUR)]})
    write_widescreen_content_deck(os.path.join(out, "widecontent.pptx"))
    decks["widecontent.pptx"] = deck_entry("pptx", SIZE_WIDESCREEN, 4, ())
    write_pptx(os.path.join(out, "noslides.pptx"), SIZE_16X9[0], SIZE_16X9[1], [], "no slides")
    write_clicks_deck(os.path.join(out, "clicks.pptx"))
    decks["clicks.pptx"] = dict(deck_entry("pptx", SIZE_16X9, 4, ()),
                                colours=[list(CLICK_BACKGROUND)] * 4,
                                clicks={"boxes": [list(b) for b in click_boxes(*SIZE_16X9)],
                                        "colours": [list(c) for c in CLICK_COLOURS],
                                        "background": list(CLICK_BACKGROUND)})
    write_notes_deck(os.path.join(out, "notes3.pptx"))
    decks["notes3.pptx"] = dict(deck_entry("pptx", SIZE_16X9, 3, ()),
                                slideFacts=[{"title": t or "", "notes": (n or "")} for t, n in NOTES_SLIDES])
    write_missing_font_deck(os.path.join(out, "fonts.pptx"))
    decks["fonts.pptx"] = dict(deck_entry("pptx", SIZE_16X9, 1, ()), fontsMissing=[MISSING_FONT])
    write_bomb_deck(os.path.join(out, "bomb.pptx"))

    skipped = []
    soffice = find_soffice()
    if soffice is None:
        skipped = ([os.path.splitext(n)[0] + ".ppt" for n in PPT_FROM] +
                   [os.path.splitext(n)[0] + ".odp" for n in ODP_FROM] + list(PASSWORD_DECKS))
        print("make_decks: WARNING: soffice (LibreOffice) not found; not writing %s" % ", ".join(skipped),
              file=sys.stderr)
    else:
        office = Office(soffice)
        try:
            with tempfile.TemporaryDirectory(prefix="qm-decks-ppt-") as tmp:
                # Convert in a scratch folder, then move into place, so that a
                # failed run never leaves a half-written .ppt behind.
                for src in office.convert([os.path.join(out, n) for n in PPT_FROM], "ppt", tmp):
                    name = os.path.basename(src)
                    os.replace(src, os.path.join(out, name))
                    decks[name] = dict(decks[os.path.splitext(name)[0] + ".pptx"], format="ppt")
                for src in office.convert([os.path.join(out, n) for n in ODP_FROM], "odp:impress8", tmp):
                    name = os.path.basename(src)
                    os.replace(src, os.path.join(out, name))
                    size, count, hidden = TEST_DECKS[os.path.splitext(name)[0] + ".pptx"]
                    decks[name] = deck_entry("odp", size, count, hidden)
                office.ensure_profile()
                for name, (source, filter_name) in PASSWORD_DECKS.items():
                    scratch = os.path.join(tmp, name)
                    office.save_with_password(os.path.join(out, source), scratch, filter_name, PASSWORD)
                    os.replace(scratch, os.path.join(out, name))
                    size, count, hidden = TEST_DECKS[source]
                    decks[name] = deck_entry(os.path.splitext(name)[1][1:], size, count, hidden, PASSWORD)
                # LibreOffice saves no encrypted .ppt; the one a reader sees is
                # marked in its "Current User" stream, which is what we write.
                mark_ppt_encrypted(os.path.join(out, "wide3.ppt"), os.path.join(out, "password.ppt"))
                decks["password.ppt"] = deck_entry("ppt", *TEST_DECKS["wide3.pptx"], PASSWORD)
        finally:
            office.close()

    write_manifest(os.path.join(out, "decks.json"), decks, BROKEN, skipped)


def mark_ppt_encrypted(src, dst):
    """Copies the binary presentation `src` to `dst` with the header token of
    its CurrentUserAtom (record type 0x0FF6, in the "Current User" stream) set
    to the value PowerPoint writes for an encrypted document, 0xF3D1C4DF."""
    data = bytearray(open(src, "rb").read())
    atom = bytes.fromhex("0000f60f")
    at = data.find(atom)
    while at >= 0 and data[at + 12:at + 16] != bytes.fromhex("5fc091e3"):
        at = data.find(atom, at + 1)
    if at < 0:
        raise SystemExit("make_decks: no CurrentUserAtom in %s" % src)
    data[at + 12:at + 16] = bytes.fromhex("dfc4d1f3")
    with open(dst + ".tmp", "wb") as f:
        f.write(data)
    os.replace(dst + ".tmp", dst)


# ---------------------------------------------------------------------------
# The sample decks

SAMPLES = {
    "Welcome.pptx": (SIZE_16X9, [
        ("Welcome to Quillmere", ["A small sample deck, made by Quillmere's own tools.",
                                  "Every slide has a colour of its own."]),
        ("What is in this folder", ["A few sample presentations to try things out on.",
                                    "Wide (16:9), standard (4:3) and a custom size."]),
        ("Try it", ["Open a deck, pick some slides, and turn them into pictures.",
                    "Put pictures side by side, or one under the other."]),
        ("Thank you", ["That is all there is to this deck."]),
    ]),
    "Seasons.pptx": (SIZE_4X3, [
        ("Spring", ["Longer days, first leaves.", "Rain showers and blossom."]),
        ("Summer", ["Warm evenings.", "Long walks and late sunsets."]),
        ("Autumn", ["Falling leaves in red and gold.", "Apples, pears and mushrooms."]),
        ("Winter", ["Short days and frosty mornings.", "Tea, books and blankets."]),
    ]),
    "Postcards.pptx": ((6 * INCH, 4 * INCH), [
        ("Greetings from the coast", ["Wish you were here!"]),
        ("Greetings from the hills", ["The view was worth the climb."]),
        ("Greetings from the city", ["Busy streets, quiet parks."]),
    ]),
}


def sample_slide_shapes(n, total, cx, cy, background, title, lines):
    fg = text_colour_for(background)
    height_pt = cy / INCH * 72
    title_pt = round(min(44, height_pt * 0.09))
    body_pt = round(min(26, height_pt * 0.055))
    small_pt = max(9, round(height_pt * 0.03))
    mx = cx // 12
    shapes = [
        text_box(2, "Title", mx, cy * 12 // 100, cx - 2 * mx, cy * 20 // 100,
                 [(title, title_pt, fg, True, "l", False)], anchor="b"),
        bar_shape(5, mx, cy * 34 // 100, cx // 8, max(cy // 120, 9525), fg),
        text_box(3, "Text", mx, cy * 38 // 100, cx - 2 * mx, cy * 45 // 100,
                 [(line, body_pt, fg, False, "l", True) for line in lines], anchor="t"),
        text_box(4, "Footer", mx, cy * 88 // 100, cx - 2 * mx, cy * 7 // 100,
                 [("%d / %d" % (n, total), small_pt, fg, False, "r", False)], anchor="ctr"),
    ]
    return shapes


def make_samples(out):
    for name, ((cx, cy), pages) in SAMPLES.items():
        slides = []
        for n, (title, lines) in enumerate(pages, 1):
            colour = colour_of_slide(n, SAMPLE_COLOURS)
            slides.append((colour, sample_slide_shapes(n, len(pages), cx, cy, colour, title, lines), False))
        write_pptx(os.path.join(out, name), cx, cy, slides, os.path.splitext(name)[0])


# ---------------------------------------------------------------------------
# The benchmark decks: many text slides, as real decks have

BENCH_WORDS = ("quarterly results market growth customers product roadmap team hiring budget "
               "risks timeline launch feedback design research pricing support partners goals "
               "metrics revenue retention onboarding quality review summary next steps").split()


def bench_lines(seed, count):
    lines = []
    for i in range(count):
        words = [BENCH_WORDS[(seed * 7 + i * 5 + k * 3) % len(BENCH_WORDS)] for k in range(6 + (seed + i) % 5)]
        lines.append(" ".join(words).capitalize() + ".")
    return lines


def make_bench(out, decks=9, slides=24, widescreen=False, clicks=False):
    """Writes `decks` presentations of `slides` text slides each, in turn 16:9 (10 x 5.625 in),
    4:3 and PowerPoint's default 13.333 x 7.5 in (all of this last size when `widescreen`);
    every third as .ppt too. With `clicks`, each slide also has three squares that enter on
    three clicks (four click states a slide)."""
    sizes = [SIZE_WIDESCREEN] if widescreen else [SIZE_16X9, SIZE_4X3, SIZE_WIDESCREEN]
    written = []
    for d in range(1, decks + 1):
        cx, cy = sizes[d % len(sizes)]
        pages = []
        for n in range(1, slides + 1):
            colour = colour_of_slide(n + d, SAMPLE_COLOURS)
            title = "Part %d: %s" % (n, " ".join(BENCH_WORDS[(d + n + k) % len(BENCH_WORDS)] for k in range(3)).title())
            shapes = sample_slide_shapes(n, slides, cx, cy, colour, title, bench_lines(d * 31 + n, 4))
            if clicks:
                shapes += [bar_shape(90 + i, x, y // 4, side // 2, side // 2, CLICK_COLOURS[i])
                           for i, (x, y, side) in enumerate(click_boxes(cx, cy))]
                enter = timing_xml([[(90 + i, "entr", "clickEffect")] for i in range(3)])
                pages.append((colour, shapes, False, enter))
            else:
                pages.append((colour, shapes, False))
        path = os.path.join(out, "bench%02d.pptx" % d)
        write_pptx(path, cx, cy, pages, "Benchmark deck %d" % d)
        written.append(path)
    soffice = find_soffice()
    if soffice is not None:
        office = Office(soffice)
        try:
            with tempfile.TemporaryDirectory(prefix="qm-decks-ppt-") as tmp:
                for src in office.convert(written[::3], "ppt", tmp):
                    os.replace(src, os.path.join(out, os.path.basename(src)))
                    os.remove(os.path.join(out, os.path.splitext(os.path.basename(src))[0] + ".pptx"))
        finally:
            office.close()


def main():
    parser = argparse.ArgumentParser(description="Writes Quillmere's test decks (or, with --samples, "
                                                 "its sample decks).")
    parser.add_argument("--out", required=True, help="folder to write into (made if missing)")
    parser.add_argument("--samples", action="store_true", help="write the sample decks instead")
    parser.add_argument("--bench", action="store_true",
                        help="write the benchmark decks instead (9 decks of 24 text slides)")
    parser.add_argument("--widescreen", action="store_true",
                        help="with --bench: every deck of PowerPoint's default 13.333 x 7.5 in")
    parser.add_argument("--clicks", action="store_true",
                        help="with --bench: three squares on each slide enter on three clicks")
    parser.add_argument("--linked", metavar="URL",
                        help="write linked.pptx and linkedfill.pptx, whose picture and shape fill link to URL, "
                             "and linked.png instead")
    args = parser.parse_args()
    check_colour_table(COLOURS)
    check_colour_table(SAMPLE_COLOURS)
    os.makedirs(args.out, exist_ok=True)
    if args.linked:
        write_linked_deck(args.out, args.linked)
    elif args.samples:
        make_samples(args.out)
    elif args.bench:
        make_bench(args.out, widescreen=args.widescreen, clicks=args.clicks)
    else:
        make_test_set(args.out)


if __name__ == "__main__":
    main()
