<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>Avertissement</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>Impossible de lire le fichier SHX</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>Impossible d'écrire le fichier FNT</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>Conversion réussie</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>Choisir le fichier SHX</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>Enregistrer le fichier FNT</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>Convertisseur de polices</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>Convertir SHX en FNT</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>Fichier FNT de sortie</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>Fichier SHX d'entrée</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Parcourir</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>Page de codes</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode (par défaut)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>Spécifier la page de codes (BigFont uniquement)</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Appliquer</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
</TS>
