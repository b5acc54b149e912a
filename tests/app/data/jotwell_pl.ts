<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl" sourcelanguage="en">
<context>
    <name>Commands</name>
    <message>
        <source>&amp;Note</source>
        <translation>&amp;Notatka</translation>
    </message>
    <message>
        <source>&amp;New Note</source>
        <translation>&amp;Nowa notatka</translation>
    </message>
</context>
<context>
    <name>PathCheck</name>
    <message>
        <source>The folder:

%1

is invalid. Please reenter.</source>
        <translation>Folder %1 jest nieprawidłowy.</translation>
    </message>
</context>
<context>
    <name>CTrayIcon</name>
    <message>
        <source>Open</source>
        <translation>Otwórz</translation>
    </message>
</context>
<context>
    <name>CSearchPane</name>
    <message>
        <source>1 note</source>
        <translation>1 notatka</translation>
    </message>
    <message numerus="yes">
        <source>%1 notes</source>
        <translation>
            <numerusform>%1 notatka</numerusform>
            <numerusform>%1 notatki</numerusform>
            <numerusform>%1 notatek</numerusform>
        </translation>
    </message>
</context>
</TS>
