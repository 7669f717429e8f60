<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="tr_TR" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>Uyarı</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Bilgi</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>SHX dosyası okunamadı</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>FNT dosyası yazılamadı</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>Dönüştürme başarıyla tamamlandı</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>SHX dosyasını seçin</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>FNT dosyasını kaydet</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>Yazı Tipi Dönüştürücü</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>SHX'i FNT'ye dönüştür</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>Çıktı FNT dosyası</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>Girdi SHX dosyası</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Gözat</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Seçenekler</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>Kod sayfası</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode (varsayılan)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>Kod sayfasını belirt (yalnızca BigFont için)</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Uygula</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>İptal</translation>
    </message>
</context>
</TS>
