<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>StringTable</name>
    <message>
        <location filename="../../core/StringTable.cpp" line="20"/>
        <source>&amp;About Velmora...</source>
        <translation>&amp;О программе Velmora...</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="21"/>
        <source>UpdateBackupSet() error.</source>
        <translation>Ошибка UpdateBackupSet().</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="22"/>
        <source>Error when saving backupset #%d</source>
        <translation>Ошибка при сохранении набора резервного копирования №%d</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="23"/>
        <source>Run this backup set: &apos;%s&apos;?</source>
        <translation>Запустить набор резервного копирования «%s»?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="24"/>
        <source>RunBackupSet error.</source>
        <translation>Ошибка RunBackupSet.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="25"/>
        <source>Delete this backup set: &apos;%s&apos;?</source>
        <translation>Удалить набор резервного копирования «%s»?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="26"/>
        <source>DeleteBackupSet error.</source>
        <translation>Ошибка DeleteBackupSet.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="27"/>
        <source>One of the required fields is empty.</source>
        <translation>Одно из обязательных полей не заполнено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="28"/>
        <source>Programs (*)</source>
        <translation>Программы (*)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="29"/>
        <source>Set Name</source>
        <translation>Имя набора</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="30"/>
        <source>Set Path</source>
        <translation>Исходная папка</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="31"/>
        <source>Please, restart the program!</source>
        <translation>Пожалуйста, перезапустите программу!</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="32"/>
        <source>Backup set named &apos;%s&apos; already exists. Please, choose another set name!</source>
        <translation>Набор резервного копирования с именем «%s» уже существует. Пожалуйста, выберите другое имя!</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="33"/>
        <source>Delete old files for &apos;%s&apos;?</source>
        <translation>Удалить старые файлы набора «%s»?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="34"/>
        <source>Update all backup sets?</source>
        <translation>Обновить все наборы резервного копирования?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="35"/>
        <source>Pick a directory:</source>
        <translation>Выберите папку:</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="36"/>
        <source>Full archiving</source>
        <translation>Полное архивирование</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="37"/>
        <source>Incremental archiving</source>
        <translation>Инкрементное архивирование</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="38"/>
        <source>New Set</source>
        <translation>Новый набор</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="39"/>
        <source>Mirror copying</source>
        <translation>Зеркальное копирование</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="40"/>
        <source>READY.</source>
        <translation>ГОТОВО.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="41"/>
        <source>WORKING.</source>
        <translation>ВЫПОЛНЯЕТСЯ.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="42"/>
        <source>COPYING.</source>
        <translation>КОПИРОВАНИЕ.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="43"/>
        <source>Update saving location for all tasks?</source>
        <translation>Изменить место сохранения для всех заданий?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="44"/>
        <source>It seems that Mozilla Firefox is not installed.</source>
        <translation>Похоже, Mozilla Firefox не установлен.</translation>
    </message>
</context>
</TS>
