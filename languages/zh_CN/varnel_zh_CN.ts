<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>读取 SHX 文件失败</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>写入 FNT 文件失败</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>转换成功</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>选择 SHX 文件</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>保存 FNT 文件</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>字体转换器</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>将 SHX 转换为 FNT</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>输出 FNT 文件</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>输入 SHX 文件</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>浏览</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>选项</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>代码页</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>Unicode（默认）</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>指定代码页（仅用于大字体）</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
</TS>
