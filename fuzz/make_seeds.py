#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

The seeds are small valid inputs in each format, written the way the
project's own writers write them (the CBOR of VariantCbor, the layout text
of LayoutText, the condition lines of ConditionValueCodec), plus the
statements the module itself sends. Run again after a format changes;
inputs that crashed a target are kept in the same folders under crash-*
names and are not touched here.
"""
import os
import re
import struct

ROOT = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(ROOT, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


# --- CBOR as VariantCbor writes it
def head(major, value):
    if value < 24:
        return bytes([major << 5 | value])
    for extra, fmt in ((24, ">B"), (25, ">H"), (26, ">I"), (27, ">Q")):
        if value < 1 << (8 * struct.calcsize(fmt)):
            return bytes([major << 5 | extra]) + struct.pack(fmt, value)
    raise ValueError(value)


def integer(value):
    return head(0, value) if value >= 0 else head(1, -1 - value)


def text(value):
    raw = value.encode("utf-8")
    return head(3, len(raw)) + raw


def tag(number, body):
    return head(6, number) + body


def array(items):
    return head(4, len(items)) + b"".join(items)


def variant_array(bounds, cells):
    return tag(0x4B560004, array([array([array([integer(lo), integer(hi)]) for lo, hi in bounds]), array(cells)]))


UNDEFINED, NULL, TRUE, FALSE = b"\xf7", b"\xf6", b"\xf5", b"\xf4"
DOUBLE = b"\xfb" + struct.pack(">d", 3.25)
values = {
    "empty": UNDEFINED, "null": NULL, "true": TRUE, "int": integer(-42), "int64": tag(0x4B560001, integer(1 << 40)),
    "double": DOUBLE, "currency": tag(0x4B560002, integer(123450000)),
    "date": tag(0x4B560003, b"\xfb" + struct.pack(">d", 46000.5)), "text": text("领料单"),
    "bytes": head(2, 3) + b"\xff\x00\x80",
    "list": variant_array([(0, 2)], [integer(1), text("a"), NULL]),
    "grid": variant_array([(0, 1), (1, 2)], [integer(i) for i in range(4)]),
    "nested": variant_array([(0, 1)], [variant_array([(0, 0)], [TRUE]), variant_array([], [])]),
}
for name, body in values.items():
    put("fuzz_cbor", "variant-" + name, b"\x00" + body)
hello = variant_array([(0, 2)], [text("hello"), integer(1), text("token")])
invoke = variant_array([(0, 4)], [text("invoke"), integer(7), integer(0), text("GetSysValue"),
                                  variant_array([(0, 0)], [text("CompanyName")])])
put("fuzz_cbor", "message-hello", b"\x02" + hello)
put("fuzz_cbor", "message-invoke", b"\x02" + invoke)
frames = b"".join(struct.pack(">I", len(m)) + m for m in (hello, invoke))
put("fuzz_cbor", "stream-two-frames", b"\x01\x10\x05" + frames)
put("fuzz_cbor", "stream-too-long", b"\x01\x00\x01" + struct.pack(">I", 1 << 20) + hello)

# --- settings and registry files
put("fuzz_ini", "registry.ini",
    "[Software\\QRM\\Marshal]\nClientPath=/opt/qrm/client/\nServerPath=/opt/qrm/server/\nDownLoad=1\n"
    "[Software\\QRM\\Marshal\\Interface]\nCodePage=936\n")
put("fuzz_ini", "MarshalC.ini",
    "; client settings\n[Language]\nCodePage=CHS\n[Server]\nHost=127.0.0.1\nPort=7411\nToken=abc\n"
    "[Server]\nHost=duplicate\n[Print]\nCopies=2\nCopies=3\n")
put("fuzz_ini", "damaged.ini", "[Open\nkey without section=1\n[A]\nnovalue\n=empty key\n[B]\r\nx = 1 \r\n")
put("fuzz_ini", "gb18030.ini", "[语言]\n名称=简体中文\n".encode("gb18030"))

# --- language packages
lang = os.path.join(ROOT, "..", "tests", "data", "lang", "MultiLanguage", "CHS")
for name in sorted(os.listdir(lang)):
    with open(os.path.join(lang, name), "rb") as source:
        put("fuzz_lng", name, source.read())
put("fuzz_lng", "form.Lng",
    '<?xml version="1.0" encoding="UTF-8"?>\n<frmTest Caption="窗口">\n  <Label1 Caption="标签" Font.Name="宋体"/>\n'
    '  <ComboBox1 Items_0="一" Items_2="三"/>\n  <ListBox1 Items_1="乙"/>\n  <TreeView1 Columns_1.Caption="列" '
    'Items_0.Caption="行"/>\n  <Edit1 Text="%d 张 %s %5.2f %%" Lines_3="x"/>\n</frmTest>\n')
put("fuzz_lng", "gb18030.Lng",
    '<?xml version="1.0" encoding="GB2312"?>\n<frmTest Caption="领料单"><Label1 Caption="单别"/></frmTest>\n'
    .encode("gb18030"))
put("fuzz_lng", "format.Lng", "%0:s 共 %1:d 笔 %-8.3f %*d %x %u %e %g %n %%")

# --- SQL: the module's own statements and those of the translator tests
sql = [
    "SELECT TOP 1 TA026,TA027 FROM $$QMSTA AS QMSTA  WHERE  TA001='A'  AND  TA002='B' UNION "
    "SELECT TD026 AS TA026,TD027 AS TA027 FROM $$QMSTD AS QMSTD  WHERE  TD001='A' ORDER BY TA026 DESC ",
    "  SELECT  isnull(SUM(TE005),0) TE005 ,ISNULL(SUM(TE021),0) TE021  FROM  Demo..MOCTE WHERE 1=1  and "
    " TE004=:TE004  AND TE006=:TE006 AND TE010=:TE010",
    "SELECT TC001,TC002,CMSMQ.MQ002 AS CMSMQ002 FROM $$MOCTC AS MOCTC LEFT JOIN $$CMSMQ AS CMSMQ ON MQ001=TC001 "
    "WHERE TC003 LIKE '2026%' AND TC001+TC002 = 'AB' ORDER BY TC001",
    "SELECT * FROM $$ADMMQ WHERE MQ002='QIPR07'",
    "INSERT INTO $$ADMTA (COMPANY,CREATOR,TA001,TA002) VALUES('Demo','DS','A',CONVERT(VARCHAR(8),GETDATE(),112))",
    "UPDATE $$HOST_COUNTER SET COUNTER_VALUE = COUNTER_VALUE + :STEP WHERE COUNTER_NAME = :NAME",
    "DELETE FROM $$HOST_COUNTER WHERE COUNTER_NAME = :NAME",
    "SELECT LEN(TC001), SUBSTRING(TC002,1,3), LEFT(TC003,4), RIGHT(TC003,2), CHARINDEX('1',TC004), "
    "CAST(TC005 AS INT), CONVERT(CHAR(10),GETDATE(),120) FROM $$MOCTC WHERE TC001 IN (SELECT TE001 FROM $$MOCTE)",
    "SELECT a.name, b.length FROM syscolumns a, sysobjects b WHERE a.id=b.id AND b.name='MOCTC'",
]
test_source = open(os.path.join(ROOT, "..", "tests", "appserver", "sql", "SqlTranslatorTest.cpp"),
                   encoding="utf-8").read()
for found in re.findall(r'(?:lite|pg|refusal)\("((?:[^"\\]|\\.)*)"', test_source)[:24]:
    sql.append(found.encode().decode("unicode_escape"))
for index, statement in enumerate(sql):
    put("fuzz_sql", "statement-%02d.sql" % index, statement)

# --- layout texts as LayoutText writes them
layout = """object frmTestFmt: QWidget
  object QuickRep1: Report
    Zoom = 80
    object QRBand1: TQRBand
      Height = 60
      BandType = rbPageHeader
      object lblTitle: TQRLabel
        Left = 200
        Top = 8
        Width = 120
        Height = 20
        Caption = '领料单'#13'第二行'
        Font.Charset = GB2312_CHARSET
        Font.Height = -12
        Font.Name = '宋体'
        Font.Style = [fsBold, fsUnderline]
      end
    end
    object QRBand2: TQRBand
      Height = 40
      object txtTC001: TKVQRDBText
        Left = 10
        DataSet = ClientDataSet1
        DataField = 'TC001'
      end
      object ExLbl1: TQRLabel
        Caption = 'It''s'
        Lines = ( 'a' 'b' )
        Color = clRed
        Transparent = True
      end
      object ExBcTC0021: TKvQRDBBarcode
        DataSet = nil
        Color = $00FF8000
      end
    end
  end
end
"""
put("fuzz_layout", "whole.txt", layout)
put("fuzz_layout", "differences.txt",
    "inherited frmTestFmt: QWidget\n  inherited QuickRep1: Report\n    inherited QRBand1: TQRBand\n"
    "      inherited lblTitle: TQRLabel\n        Left = 42\n        Font.Size = 9\n      end\n    end\n  end\nend\n")
put("fuzz_layout", "damaged.txt", "object frmTestFmt: QWidget\n  object X: TNoSuchClass\n  Left = 'a\n  end\nend\nend\n")

# --- condition lines (first byte: the input) and condition packages
F, S, R = "\x03", "\x01", "\x04"
for pick, line in enumerate([
        "sp_Range" + F + "20260101" + F + "20261231", "sp_Discrete" + F + "A" + S + "甲" + R + "B" + R,
        "20260315", "202603", "2", "True", "7", "Checked"]):
    put("fuzz_conditions", "line-%d" % pick, bytes([pick]) + line.encode("utf-8"))
put("fuzz_conditions", "user-choice", b"\x01" + ("sp_UserChoice" + F + "True" + F + "A" + F + "Z").encode())
put("fuzz_conditions", "package.json", b"\x00" + '[["spDate", "20260101", 3, 2.5, null, true, [1, [2]]]]'.encode())
put("fuzz_conditions", "big-numbers.json", b"\x04[9007199254740993, -2147483649, 1e308, -0.0]")

# --- permission rules (first line the SQL) and condition values
put("fuzz_powerdata", "rules", "\x00SELECT * FROM $$MOCTC AS A LEFT JOIN $$MOCTE TE ON TE001=TC001, $$INVMB\n"
    "MOCTC MOCTC.TC005 IN ('01','02')\nINVMB INVMB.MB005 = 'A' or INVMB.MB006 LIKE 'x%'\nMOCTE MOCTE.TE004 <> ''")
put("fuzz_powerdata", "text-range", "\x03A'01\nZ--99")
put("fuzz_powerdata", "number-range", "\x07 12.5\n99")
put("fuzz_powerdata", "marked-list", "\x0aA\nB'C\n;D")
put("fuzz_powerdata", "number-scalar", "\x0112 ")

# --- sign-off requests
# --- the workflow web service's reply: type, sheet, then the FormSet
put("fuzz_workflow", "found",
    "5401\nA001\n<FormSet><Form wfFormType=\"5401\" wfSheetNo=\"A001\">1  1  王五  主管  核准  2024/01/02||"
    "2  1  赵六  经理  核准  2024/01/03||核准</Form>"
    "<Form wfFormType=\"5401\" wfSheetNo=\"A002\">x||y</Form></FormSet>")
put("fuzz_workflow", "quoted-key",
    "5401\nA'001\"]\n<FormSet><Form wfFormType=\"5401\" wfSheetNo=\"A&apos;001&quot;]\">a||b</Form></FormSet>")
put("fuzz_workflow", "missing", "5402\n9\n<FormSet><Form wfFormType=\"5401\" wfSheetNo=\"9\"/></FormSet>")
put("fuzz_workflow", "broken", "5401\nA001\n<FormSet><Form>")

put("fuzz_signoff", "request.xml",
    "<FormSet><Form wfProgramID='MOCI03' wfFormType='5401' wfSheetNo='20260101001' wfParameter3='' "
    "wfParameter4=''/><Form wfFormType='5402' wfSheetNo='2'/></FormSet>")
put("fuzz_signoff", "declared.xml",
    '<?xml version="1.0" encoding="GB2312"?><FormSet><Form wfFormType="甲" wfSheetNo="&amp;1"/></FormSet>')

# --- download descriptions
for index, entry in enumerate([
        "<File><Modify>2026-03-01 08:00:00;size=8</Modify><Path>\\\\server\\qrm\\bin\\QIPR07.so</Path></File>",
        "Name = 'QIPR07.so' Modify = '2026/03/01T08:00:00Z' Path = '/srv/qrm/download/QIPR07.so'",
        "<Path>client/bin/</Path>", "Modify = '2026-03-01 08:00:00 ;size=99999999999999999999'",
        "2026-13-40 25:61:61", ""]):
    put("fuzz_download", "entry-%d" % index, entry)
