<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>Failed to read SHX file</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>Failed to write FNT file</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>Converted successfully</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>Choose SHX file</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>Save FNT file</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>Font Converter</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>Convert SHX to FNT</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>Output FNT file</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>Input SHX file</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>Code Page</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode (default)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>Specify code page (only used for BigFont)</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
