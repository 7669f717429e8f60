<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>Предупреждение</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Информация</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>Не удалось прочитать файл SHX</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>Не удалось записать файл FNT</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>Преобразование выполнено успешно</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>Выбор файла SHX</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>Сохранение файла FNT</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>Конвертер шрифтов</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>Преобразование SHX в FNT</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>Выходной файл FNT</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>Входной файл SHX</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Обзор</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>Кодовая страница</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Юникод (по умолчанию)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>Указать кодовую страницу (только для BigFont)</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Применить</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
</TS>
