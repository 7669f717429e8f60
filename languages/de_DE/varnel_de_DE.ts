<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>Die SHX-Datei konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>Die FNT-Datei konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>Erfolgreich konvertiert</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>SHX-Datei auswählen</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>FNT-Datei speichern</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>Schriftkonverter</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>SHX in FNT umwandeln</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>FNT-Ausgabedatei</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>SHX-Eingabedatei</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>Codepage</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode (Standard)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>Codepage festlegen (nur für BigFont)</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Anwenden</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
</TS>
