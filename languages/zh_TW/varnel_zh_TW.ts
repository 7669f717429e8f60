<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>資訊</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>無法讀取 SHX 檔案</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>無法寫入 FNT 檔案</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>轉換成功</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>選擇 SHX 檔案</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>儲存 FNT 檔案</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>字型轉換器</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>將 SHX 轉換為 FNT</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>輸出 FNT 檔案</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>輸入 SHX 檔案</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>瀏覽</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>選項</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>字碼頁</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode（預設）</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>指定字碼頁（僅用於大字型）</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>套用</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
</TS>
