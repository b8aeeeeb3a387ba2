#!/usr/bin/env python3
"""Writes LibreOffice's own image of every slide, as the reference for slide images.

    python3 bench/reference_slides.py --out DIR FILE...

For each presentation, soffice (headless, with a throwaway profile) runs a
Basic macro that loads the file hidden and exports every draw page, hidden
slides included, through com.sun.star.drawing.GraphicExportFilter as an
opaque PNG at the slide size at 96 dpi: DIR/<base>_Slide<n>.png, the names
quillmere-batch gives in its each-slide mode. This is LibreOffice's per-slide
export through its UNO API, not through LibreOfficeKit.
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
import make_decks  # noqa: E402  (its Office runs soffice with a throwaway profile)

MODULE = """<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE script:module PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" "module.dtd">
<script:module xmlns:script="http://openoffice.org/2000/script" script:name="Module1" script:language="StarBasic">
Function Prop(sName As String, vValue) As com.sun.star.beans.PropertyValue
  Dim p As New com.sun.star.beans.PropertyValue
  p.Name = sName
  p.Value = vValue
  Prop = p
End Function

REM Exports every page of sIn as sPrefix &amp; &quot;_Slide&quot; &amp; n &amp; &quot;.png&quot;.
Sub ExportSlides(sIn As String, sPrefix As String)
  Dim oDoc As Object, oPage As Object, oFilter As Object
  Dim i As Long, nWidth As Long, nHeight As Long
  On Error GoTo Failed
  oDoc = StarDesktop.loadComponentFromURL(ConvertToURL(sIn), &quot;_blank&quot;, 0, Array(Prop(&quot;Hidden&quot;, True)))
  oFilter = createUnoService(&quot;com.sun.star.drawing.GraphicExportFilter&quot;)
  For i = 0 To oDoc.DrawPages.Count - 1
    oPage = oDoc.DrawPages.getByIndex(i)
    nWidth = CLng(oPage.Width * 96 / 2540)
    nHeight = CLng(oPage.Height * 96 / 2540)
    oFilter.setSourceDocument(oPage)
    oFilter.filter(Array(Prop(&quot;URL&quot;, ConvertToURL(sPrefix &amp; &quot;_Slide&quot; &amp; (i + 1) &amp; &quot;.png&quot;)), _
      Prop(&quot;MediaType&quot;, &quot;image/png&quot;), _
      Prop(&quot;FilterData&quot;, Array(Prop(&quot;PixelWidth&quot;, nWidth), Prop(&quot;PixelHeight&quot;, nHeight), _
                                  Prop(&quot;Translucent&quot;, False)))))
  Next
Failed:
  On Error Resume Next
  If Not IsNull(oDoc) Then oDoc.close(True)
End Sub
</script:module>
"""


def main():
    parser = argparse.ArgumentParser(description="LibreOffice's own image of every slide.")
    parser.add_argument("--out", required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    soffice = make_decks.find_soffice()
    if soffice is None:
        raise SystemExit("reference_slides: soffice (LibreOffice) is not installed")
    os.makedirs(args.out, exist_ok=True)
    office = make_decks.Office(soffice)
    try:
        office.ensure_profile()
        basic = os.path.join(office.profile, "user", "basic")
        os.makedirs(os.path.join(basic, "Standard"), exist_ok=True)
        for name, text in (("script.xlc", office.BASIC_CONTAINER),
                           (os.path.join("Standard", "script.xlb"), office.BASIC_LIB),
                           (os.path.join("Standard", "Module1.xba"), MODULE)):
            with open(os.path.join(basic, name), "w") as f:
                f.write(text)
        quote = lambda s: '"' + s.replace('"', '""') + '"'
        for path in args.files:
            base = os.path.splitext(os.path.basename(path))[0]
            prefix = os.path.join(os.path.abspath(args.out), base)
            url = "macro:///Standard.Module1.ExportSlides(%s,%s)" % (quote(os.path.abspath(path)), quote(prefix))
            office.run([url])
    finally:
        office.close()


if __name__ == "__main__":
    main()
