<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_PT" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>Aviso</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Informação</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>Não foi possível ler o ficheiro SHX</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>Não foi possível escrever o ficheiro FNT</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>Conversão concluída com êxito</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>Escolher ficheiro SHX</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>Guardar ficheiro FNT</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>Conversor de tipos de letra</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>Converter SHX em FNT</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>Ficheiro FNT de saída</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>Ficheiro SHX de entrada</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Procurar</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Opções</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>Página de códigos</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode (predefinida)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>Especificar a página de códigos (apenas para BigFont)</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Aplicar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
</TS>
