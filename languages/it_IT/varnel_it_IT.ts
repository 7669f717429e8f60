<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>Avviso</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Informazioni</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>Impossibile leggere il file SHX</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>Impossibile scrivere il file FNT</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>Conversione completata</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>Scegli il file SHX</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>Salva il file FNT</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>Convertitore di font</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>Converti SHX in FNT</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>File FNT di destinazione</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>File SHX di origine</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Sfoglia</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Opzioni</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>Tabella codici</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode (predefinita)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>Specifica la tabella codici (solo per BigFont)</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Applica</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
</context>
</TS>
