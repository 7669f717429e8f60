<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>경고</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>정보</translation>
    </message>
    <message>
        <source>Failed to read SHX file</source>
        <translation>SHX 파일을 읽지 못했습니다</translation>
    </message>
    <message>
        <source>Failed to write FNT file</source>
        <translation>FNT 파일을 쓰지 못했습니다</translation>
    </message>
    <message>
        <source>Converted successfully</source>
        <translation>변환이 완료되었습니다</translation>
    </message>
</context>
<context>
    <name>Varnel</name>
    <message>
        <source>Choose SHX file</source>
        <translation>SHX 파일 선택</translation>
    </message>
    <message>
        <source>Save FNT file</source>
        <translation>FNT 파일 저장</translation>
    </message>
</context>
<context>
    <name>VarnelClass</name>
    <message>
        <source>Font Converter</source>
        <translation>글꼴 변환기</translation>
    </message>
    <message>
        <source>Convert SHX to FNT</source>
        <translation>SHX를 FNT로 변환</translation>
    </message>
    <message>
        <source>Output FNT file</source>
        <translation>출력 FNT 파일</translation>
    </message>
    <message>
        <source>Input SHX file</source>
        <translation>입력 SHX 파일</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>찾아보기</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>옵션</translation>
    </message>
    <message>
        <source>Code Page</source>
        <translation>코드 페이지</translation>
    </message>
    <message>
        <source>Unicode (default)</source>
        <translation>유니코드(기본값)</translation>
    </message>
    <message>
        <source>Specify code page (only used for BigFont)</source>
        <translation>코드 페이지 지정(빅폰트에만 사용)</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>적용</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
</context>
</TS>
