<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Información</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>No se pudo leer el archivo SHX</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>No se pudo escribir el archivo FNT</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>Conversión realizada correctamente</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>Seleccionar archivo SHX</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>Guardar archivo FNT</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>Conversor de fuentes</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>Convertir SHX a FNT</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>Archivo FNT de salida</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>Archivo SHX de entrada</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Examinar</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Opciones</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>Página de códigos</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode (predeterminada)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>Especificar página de códigos (solo para BigFont)</translation>
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
