<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="hu_HU" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>Figyelmeztetés</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Információ</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>Az SHX-fájl beolvasása nem sikerült</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>Az FNT-fájl írása nem sikerült</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>Az átalakítás sikerült</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>SHX-fájl kiválasztása</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>FNT-fájl mentése</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>Betűtípus-átalakító</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>SHX átalakítása FNT formátumba</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>Kimeneti FNT-fájl</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>Bemeneti SHX-fájl</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Tallózás</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Beállítások</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>Kódlap</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode (alapértelmezett)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>Kódlap megadása (csak BigFont esetén)</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Alkalmaz</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Mégse</translation>
    </message>
</context>
</TS>
