<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>情報</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>SHX ファイルを読み込めませんでした</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>FNT ファイルを書き込めませんでした</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>正常に変換されました</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>SHX ファイルの選択</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>FNT ファイルの保存</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>フォント コンバーター</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>SHX を FNT に変換</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>出力 FNT ファイル</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>入力 SHX ファイル</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>参照</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>オプション</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>コード ページ</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode (既定)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>コード ページを指定する (ビッグフォントのみ)</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>適用</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
</TS>
