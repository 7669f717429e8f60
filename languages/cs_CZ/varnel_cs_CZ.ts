<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="cs_CZ" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>Upozornění</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Informace</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>Soubor SHX se nepodařilo načíst</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>Soubor FNT se nepodařilo zapsat</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>Převod proběhl úspěšně</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>Vyberte soubor SHX</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>Uložit soubor FNT</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>Převodník písem</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>Převod SHX na FNT</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>Výstupní soubor FNT</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>Vstupní soubor SHX</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Procházet</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Možnosti</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>Kódová stránka</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode (výchozí)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>Určit kódovou stránku (jen pro BigFont)</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Použít</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Zrušit</translation>
    </message>
</context>
</TS>
