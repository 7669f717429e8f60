<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>Ostrzeżenie</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Informacja</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>Nie udało się odczytać pliku SHX</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>Nie udało się zapisać pliku FNT</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>Konwersja zakończona pomyślnie</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>Wybierz plik SHX</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>Zapisz plik FNT</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>Konwerter czcionek</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>Konwersja SHX do FNT</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>Wyjściowy plik FNT</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>Wejściowy plik SHX</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Przeglądaj</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Opcje</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>Strona kodowa</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode (domyślna)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>Określ stronę kodową (tylko dla BigFont)</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Zastosuj</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
</context>
</TS>
