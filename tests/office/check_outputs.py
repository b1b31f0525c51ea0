# Reads what the office test wrote with Python's zip reader and prints what
# the parts hold: the workbook's sheet and strings, the document's text.
import re, sys, zipfile
d = sys.argv[1]
z = zipfile.ZipFile(d + '/out.xlsx')
names = z.namelist()
print('xlsx parts:', ' '.join(n for n in sorted(names) if n.startswith('xl/worksheets/') or n == 'xl/workbook.xml'))
strings = []
if 'xl/sharedStrings.xml' in names:
    strings = [re.sub(r'<[^>]+>', '', s) for s in re.findall(r'<si>(.*?)</si>', z.read('xl/sharedStrings.xml').decode('utf-8'))]
print('sheets:', ' '.join(re.findall(r'<sheet name="([^"]*)"', z.read('xl/workbook.xml').decode('utf-8'))))
sheet = z.read('xl/worksheets/sheet1.xml').decode('utf-8')
for ref, attrs, body in re.findall(r'<c r="([A-Z]+[0-9]+)"([^>]*)>(.*?)</c>', sheet):
    v = re.search(r'<v>(.*?)</v>', body).group(1)
    if 't="s"' in attrs:
        print(ref, 'string', repr(strings[int(v)]))
    else:
        print(ref, 'number', v)
z = zipfile.ZipFile(d + '/out.docx')
doc = z.read('word/document.xml').decode('utf-8')
for p in re.findall(r'<w:p>(.*?)</w:p>', doc):
    text = re.sub(r'<w:bookmarkStart[^>]*w:name="([^"]*)"/>', r'[\1>', p)
    text = re.sub(r'<w:bookmarkEnd[^>]*/>', '<]', text)
    text = text.replace('<w:tab/>', '\\t')
    print('paragraph:', re.sub(r'<(?!\])[^>]*>', '', text))
print('txt:', repr(open(d + '/out.txt', 'rb').read().decode('cp932')))
print('csv:', repr(open(d + '/out.csv', 'rb').read().decode('cp932')))
