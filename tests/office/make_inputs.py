# Writes the workbook and document the office test opens: in.xlsx and in.docx.
import sys, zipfile

def xlsx(path):
    z = zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED)
    z.writestr('[Content_Types].xml', '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
    z.writestr('_rels/.rels', '<?xml version="1.0" encoding="UTF-8"?>\n<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>')
    z.writestr('xl/workbook.xml', '<?xml version="1.0" encoding="UTF-8"?>\n<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
               'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><bookViews><workbookView activeTab="1"/></bookViews>'
               '<sheets><sheet name="first" sheetId="1" r:id="rId1"/><sheet name="売上" sheetId="2" r:id="rId2"/></sheets></workbook>')
    z.writestr('xl/_rels/workbook.xml.rels', '<?xml version="1.0" encoding="UTF-8"?>\n<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
               '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/sheet2.xml"/>'
               '<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>')
    z.writestr('xl/sharedStrings.xml', '<?xml version="1.0" encoding="UTF-8"?>\n<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" uniqueCount="3">'
               '<si><t>表計算</t></si><si><r><t xml:space="preserve"> 二つの</t></r><r><t>部分 </t></r><rPh><t>ブブン</t></rPh></si><si><t>a&amp;b&lt;c&gt;&#x263A;</t></si></sst>')
    z.writestr('xl/worksheets/sheet1.xml', '<?xml version="1.0" encoding="UTF-8"?>\n<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
               '<sheetData><row r="1"><c r="A1" t="s"><v>0</v></c></row></sheetData></worksheet>')
    z.writestr('xl/worksheets/sheet2.xml', '<?xml version="1.0" encoding="UTF-8"?>\n<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
               '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="s"><v>2</v></c></row>'
               '<row r="2"><c r="A2"><v>3.5</v></c><c r="B2" t="b"><v>1</v></c><c r="C2"><f>A2*2</f><v>7</v></c><c r="D2" t="inlineStr"><is><t>直接</t></is></c></row>'
               '<row r="4"><c t="str"><f>"x"&amp;"y"</f><v>xy</v></c><c><v>0.1</v></c></row>'
               '</sheetData></worksheet>')
    z.close()

def docx(path):
    z = zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED)
    z.writestr('[Content_Types].xml', '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
    z.writestr('word/document.xml', '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
               '<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>'
               '<w:p><w:pPr><w:tabs><w:tab w:val="left" w:pos="720"/></w:tabs></w:pPr><w:r><w:rPr><w:b/></w:rPr><w:t>拝啓</w:t></w:r><w:r><w:tab/><w:t xml:space="preserve"> 様</w:t></w:r></w:p>'
               '<w:p><w:r><w:t xml:space="preserve">お名前: </w:t></w:r><w:bookmarkStart w:id="0" w:name="氏名"/><w:r><w:t>未記入</w:t></w:r><w:bookmarkEnd w:id="0"/><w:r><w:t>さん</w:t></w:r></w:p>'
               '<w:p><w:bookmarkStart w:id="1" w:name="date"/><w:bookmarkEnd w:id="1"/><w:r><w:t>以上</w:t></w:r></w:p>'
               '<w:sectPr/></w:body></w:document>')
    z.close()

xlsx(sys.argv[1] + '/in.xlsx')
docx(sys.argv[1] + '/in.docx')
