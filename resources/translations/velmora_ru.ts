<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>CAboutDlg</name>
    <message>
        <location filename="../../app/CAboutDlg.cpp" line="18"/>
        <source>Velmora, Version 1.02</source>
        <translation>Velmora, версия 1.02</translation>
    </message>
    <message>
        <location filename="../../app/CAboutDlg.cpp" line="19"/>
        <source>The program runs the 7-Zip archiver and rsync.</source>
        <translation>Программа запускает архиватор 7-Zip и rsync.</translation>
    </message>
    <message>
        <location filename="../../app/CAboutDlg.cpp" line="22"/>
        <source>Read the help</source>
        <translation>Открыть справку</translation>
    </message>
    <message>
        <location filename="../../app/CAboutDlg.cpp" line="24"/>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <location filename="../../app/CAboutDlg.cpp" line="15"/>
        <source>About Velmora</source>
        <translation>О программе Velmora</translation>
    </message>
</context>
<context>
    <name>CExPathDlg</name>
    <message>
        <location filename="../../dialogs/CExPathDlg.cpp" line="14"/>
        <source>Add Exclusion Path</source>
        <translation>Добавить исключаемый путь</translation>
    </message>
    <message>
        <location filename="../../dialogs/CExPathDlg.cpp" line="15"/>
        <source>Type here a partial path or browse for a folder:</source>
        <translation>Введите часть пути или выберите папку:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CExPathDlg.cpp" line="16"/>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <location filename="../../dialogs/CExPathDlg.cpp" line="17"/>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <location filename="../../dialogs/CExPathDlg.cpp" line="20"/>
        <source>Pick the folder to leave out.</source>
        <translation>Выбрать папку, которую не копировать.</translation>
    </message>
</context>
<context>
    <name>CExTypeDlg</name>
    <message>
        <location filename="../../dialogs/CExTypeDlg.cpp" line="10"/>
        <source>Exclude Type</source>
        <translation>Исключить тип</translation>
    </message>
    <message>
        <location filename="../../dialogs/CExTypeDlg.cpp" line="11"/>
        <source>Type here an extension with leading dot:</source>
        <translation>Введите расширение с точкой в начале:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CExTypeDlg.cpp" line="12"/>
        <source>&amp;Add</source>
        <translation>&amp;Добавить</translation>
    </message>
    <message>
        <location filename="../../dialogs/CExTypeDlg.cpp" line="13"/>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>CLogDlg</name>
    <message>
        <location filename="../../app/CLogDlg.cpp" line="22"/>
        <source>View Log</source>
        <translation>Журнал</translation>
    </message>
    <message>
        <location filename="../../app/CLogDlg.cpp" line="24"/>
        <source>&amp;Run:</source>
        <translation>&amp;Запуск:</translation>
    </message>
    <message>
        <location filename="../../app/CLogDlg.cpp" line="27"/>
        <source>Open the whole file</source>
        <translation>Открыть весь файл</translation>
    </message>
    <message>
        <location filename="../../app/CLogDlg.cpp" line="30"/>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <location filename="../../app/CLogDlg.cpp" line="40"/>
        <source>Opens the whole log of this run with the desktop&apos;s program for text files.</source>
        <translation>Открывает весь журнал этого запуска программой рабочего стола для текстовых файлов.</translation>
    </message>
    <message>
        <location filename="../../app/CLogDlg.cpp" line="92"/>
        <source>What is it?</source>
        <translation>Что это?</translation>
    </message>
</context>
<context>
    <name>CMyVelmoraDlg</name>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="176"/>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="177"/>
        <source>&amp;Options...</source>
        <translation>&amp;Параметры...</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="178"/>
        <source>&amp;Language</source>
        <translation>&amp;Язык</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="186"/>
        <source>E&amp;xit</source>
        <translation>В&amp;ыход</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="189"/>
        <source>&amp;Task</source>
        <translation>&amp;Задание</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="190"/>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="235"/>
        <source>&amp;Run</source>
        <translation>&amp;Запустить</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="192"/>
        <source>Remove Old &amp;Files</source>
        <translation>Удалить старые &amp;файлы</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="193"/>
        <source>&amp;Open Location</source>
        <translation>&amp;Открыть папку назначения</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="194"/>
        <source>R&amp;estore...</source>
        <translation>В&amp;осстановить...</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="196"/>
        <source>Restore from a Fol&amp;der...</source>
        <translation>Восстановить из &amp;папки...</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="197"/>
        <source>&amp;Verify</source>
        <translation>П&amp;роверить</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="199"/>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="234"/>
        <source>&amp;Stop</source>
        <translation>&amp;Стоп</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="202"/>
        <source>&amp;New...</source>
        <translation>&amp;Новое...</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="203"/>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="229"/>
        <source>&amp;Delete</source>
        <translation>&amp;Удалить</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="206"/>
        <source>&amp;Properties...</source>
        <translation>&amp;Свойства...</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="209"/>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="210"/>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="212"/>
        <source>&amp;About...</source>
        <translation>&amp;О программе...</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="228"/>
        <source>New...</source>
        <translation>Новое...</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="230"/>
        <source>Properties...</source>
        <translation>Свойства...</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="198"/>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="232"/>
        <source>Update &amp;All</source>
        <translation>Обновить &amp;все</translation>
    </message>
    <message>
        <location filename="../../app/CMyVelmoraDlg.cpp" line="236"/>
        <source>View &amp;Log...</source>
        <translation>&amp;Журнал...</translation>
    </message>
</context>
<context>
    <name>COptionsDlg</name>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="25"/>
        <source>Options</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="27"/>
        <source>Default archive type:</source>
        <translation>Тип архива по умолчанию:</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="31"/>
        <source>Default compression level:</source>
        <translation>Степень сжатия по умолчанию:</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="33"/>
        <source>Incremental copies to keep:</source>
        <translation>Хранить инкрементных копий:</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="36"/>
        <source>Default backup location:</source>
        <translation>Папка для копий по умолчанию:</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="40"/>
        <source>rsync location:</source>
        <translation>Расположение rsync:</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="44"/>
        <source>Days until a manual set is &amp;overdue (0: never):</source>
        <translation>Дней до &amp;просрочки ручного набора (0 — нет):</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="48"/>
        <source>Days between &amp;tests of a full archive (0: every run):</source>
        <translation>Дней между проверками полного &amp;архива (0 — всегда):</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="47"/>
        <source>Use for &amp;All Sets...</source>
        <translation>Назначить &amp;всем наборам...</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="48"/>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="49"/>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="59"/>
        <source>A set run only by hand is marked overdue when its last success is older than this many days.</source>
        <translation>Набор, запускаемый только вручную, отмечается просроченным, если его последний успешный запуск старше этого числа дней.</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="68"/>
        <source>An incremental run tests its full archive again when the file changed since its last good test, or when that test is older than this many days; 0 tests it before every run. Verify always tests every archive.</source>
        <translation>Инкрементный запуск снова проверяет полный архив, если файл изменился после последней успешной проверки или эта проверка старше этого числа дней; 0 — проверять перед каждым запуском. Проверка набора всегда проверяет все архивы.</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="62"/>
        <source>Pick the folder new sets back up to.</source>
        <translation>Выбрать папку, в которую копируют новые наборы.</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="63"/>
        <source>Choose the rsync program.</source>
        <translation>Выбрать программу rsync.</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="66"/>
        <source>Make the default backup location the destination of every set, when you close this dialog with OK. The archives made so far stay where they are.</source>
        <translation>Сделать папку для копий по умолчанию папкой назначения каждого набора (при закрытии этого окна кнопкой ОК). Уже созданные архивы остаются на своих местах.</translation>
    </message>
    <message>
        <location filename="../../dialogs/COptionsDlg.cpp" line="67"/>
        <source>Restore points a new set keeps (0 turns a rule off)</source>
        <translation>Точки, которые хранит новый набор (0 выключает правило)</translation>
    </message>
</context>
<context>
    <name>CPasswordDlg</name>
    <message>
        <location filename="../../dialogs/CPasswordDlg.cpp" line="15"/>
        <source>Password</source>
        <translation>Пароль</translation>
    </message>
    <message>
        <location filename="../../dialogs/CPasswordDlg.cpp" line="19"/>
        <source>&amp;Remember for this session</source>
        <translation>&amp;Запомнить до закрытия программы</translation>
    </message>
    <message>
        <location filename="../../dialogs/CPasswordDlg.cpp" line="21"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location filename="../../dialogs/CPasswordDlg.cpp" line="22"/>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <location filename="../../dialogs/CPasswordDlg.cpp" line="27"/>
        <source>Password of the encrypted set &apos;%1&apos;:</source>
        <translation>Пароль зашифрованного набора «%1»:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CPasswordDlg.cpp" line="28"/>
        <source>Password of the encrypted archive &apos;%1&apos;:</source>
        <translation>Пароль зашифрованного архива «%1»:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CPasswordDlg.cpp" line="34"/>
        <source>Keep the password until the window is closed, so the set&apos;s next runs do not ask again.</source>
        <translation>Помнить пароль до закрытия окна, чтобы следующие запуски набора не спрашивали его снова.</translation>
    </message>
</context>
<context>
    <name>CRestoreDlg</name>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="86"/>
        <source>Restore</source>
        <translation>Восстановление</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="88"/>
        <source>Restore &amp;points:</source>
        <translation>&amp;Точки восстановления:</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="90"/>
        <source>&amp;Files and folders:</source>
        <translation>&amp;Файлы и папки:</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="92"/>
        <source>&amp;Versions of this file:</source>
        <translation>&amp;Версии этого файла:</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="96"/>
        <source>Restore &amp;to:</source>
        <translation>&amp;Куда:</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="98"/>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="100"/>
        <source>Restore to the &amp;original location</source>
        <translation>Восстановить в &amp;исходную папку</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="102"/>
        <source>&amp;Import set</source>
        <translation>&amp;Импортировать набор</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="103"/>
        <source>&amp;Stop</source>
        <translation>&amp;Стоп</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="104"/>
        <source>&amp;Restore</source>
        <translation>&amp;Восстановить</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="106"/>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="123"/>
        <location filename="../../app/CRestoreDlg.cpp" line="127"/>
        <source>Date</source>
        <translation>Дата</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="123"/>
        <source>Kind</source>
        <translation>Вид</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="123"/>
        <location filename="../../app/CRestoreDlg.cpp" line="124"/>
        <location filename="../../app/CRestoreDlg.cpp" line="127"/>
        <source>Size</source>
        <translation>Размер</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="123"/>
        <source>Files</source>
        <translation>Файлов</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="124"/>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="124"/>
        <location filename="../../app/CRestoreDlg.cpp" line="127"/>
        <source>Modified</source>
        <translation>Изменён</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="131"/>
        <location filename="../../app/CRestoreDlg.cpp" line="252"/>
        <source>Tick the files and folders to restore, or none for everything.</source>
        <translation>Отметьте файлы и папки, которые нужно восстановить, или ничего, чтобы восстановить всё.</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="182"/>
        <location filename="../../app/CRestoreDlg.cpp" line="249"/>
        <source>Restore %1</source>
        <translation>Восстановление: %1</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="256"/>
        <source>Full</source>
        <translation>Полный</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="257"/>
        <source>Update</source>
        <translation>Обновление</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="258"/>
        <source>Mirror</source>
        <translation>Зеркало</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="407"/>
        <source>deleted</source>
        <translation>удалён</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="99"/>
        <source>&amp;Keep this point for ever</source>
        <translation>&amp;Хранить эту точку всегда</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="134"/>
        <source>Kept because</source>
        <translation>Почему хранится</translation>
    </message>
    <message>
        <location filename="../../app/CRestoreDlg.cpp" line="155"/>
        <source>The retention policy never removes a point kept for ever. Saved in the set at once.</source>
        <translation>Правила хранения никогда не удаляют точку, которая хранится всегда. Сохраняется в наборе сразу.</translation>
    </message>
</context>
<context>
    <name>CSetPropDlg</name>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="50"/>
        <source>&amp;Application Data</source>
        <translation>Данные &amp;приложений</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="51"/>
        <source>My &amp;Documents</source>
        <translation>&amp;Документы</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="52"/>
        <source>My &amp;Pictures</source>
        <translation>&amp;Изображения</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="53"/>
        <source>My &amp;Music</source>
        <translation>&amp;Музыка</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="54"/>
        <source>&amp;Desktop</source>
        <translation>&amp;Рабочий стол</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="56"/>
        <source>&amp;Home</source>
        <translation>Д&amp;омашняя папка</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="57"/>
        <source>Mo&amp;zilla Firefox Profile</source>
        <translation>Профиль Mo&amp;zilla Firefox</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="140"/>
        <source>Zip update archives cannot record deleted files; 7zip archives can.</source>
        <translation>Архивы обновлений Zip не могут отметить удалённые файлы; архивы 7zip могут.</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="143"/>
        <source>Task Properties</source>
        <translation>Свойства задания</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="80"/>
        <source>Set name:</source>
        <translation>Имя набора:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="83"/>
        <source>File name:</source>
        <translation>Имя файла:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="85"/>
        <source>Source:</source>
        <translation>Источник:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="88"/>
        <source>Custom source:</source>
        <translation>Стандартная папка:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="89"/>
        <source>Add</source>
        <translation>Добавить</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="90"/>
        <source>Destination:</source>
        <translation>Назначение:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="93"/>
        <source>Backup type:</source>
        <translation>Вид копирования:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="98"/>
        <source>Exclude file types:</source>
        <translation>Исключить типы файлов:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="68"/>
        <source>&amp;Remove item</source>
        <translation>&amp;Удалить</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="96"/>
        <source>Accept the &amp;disk now there</source>
        <translation>Принять &amp;текущий диск</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="99"/>
        <source>Add type...</source>
        <translation>Добавить тип...</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="100"/>
        <source>Exclude directories:</source>
        <translation>Исключить папки:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="101"/>
        <source>Add path...</source>
        <translation>Добавить путь...</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="103"/>
        <source>Archiving options</source>
        <translation>Параметры архивации</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="104"/>
        <source>Archive type:</source>
        <translation>Тип архива:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="106"/>
        <source>Compression level:</source>
        <translation>Степень сжатия:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="109"/>
        <source>Solid mode:</source>
        <translation>Непрерывный архив:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="110"/>
        <source>yes</source>
        <translation>да</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="112"/>
        <source>Test each new archive before it replaces the old one</source>
        <translation>Проверять каждый новый архив, прежде чем он заменит старый</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="113"/>
        <source>&amp;Encrypt the archive</source>
        <translation>&amp;Шифровать архив</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="115"/>
        <source>Pass&amp;word:</source>
        <translation>Паро&amp;ль:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="119"/>
        <source>Confir&amp;m:</source>
        <translation>Ещё р&amp;аз:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="121"/>
        <source>Schedule</source>
        <translation>Расписание</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="122"/>
        <source>&amp;Run:</source>
        <translation>&amp;Запуск:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="124"/>
        <source>o&amp;n</source>
        <translation>&amp;день</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="126"/>
        <source>a&amp;t</source>
        <translation>&amp;в</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="129"/>
        <source>If the computer was off at that time, run at the next start</source>
        <translation>Если компьютер был выключен, запустить при следующем включении</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="131"/>
        <source>Off-site copy</source>
        <translation>Копия вне компьютера</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="132"/>
        <source>Cop&amp;y to:</source>
        <translation>&amp;Куда:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="134"/>
        <source>Te&amp;st</source>
        <translation>Пр&amp;оверить</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="136"/>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="137"/>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="157"/>
        <source>7-Zip tests the archive it wrote; one that does not test good is removed and the previous backup kept. Testing takes about as long as reading the archive.</source>
        <translation>7-Zip проверяет записанный архив; архив, не прошедший проверку, удаляется, а прежняя копия сохраняется. Проверка длится примерно столько же, сколько чтение архива.</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="163"/>
        <source>The set runs by itself at these times through a timer of systemd, even when Velmora&apos;s window is closed, as long as you are logged in.</source>
        <translation>Набор запускается сам в это время по таймеру systemd, даже когда окно Velmora закрыто, пока вы находитесь в системе.</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="169"/>
        <source>The password is kept in the system keyring, never in the set&apos;s file. Without the password nobody, you included, can restore from the archives.</source>
        <translation>Пароль хранится в системной связке ключей, а не в файле набора. Без пароля никто, включая вас, не сможет восстановить файлы из архивов.</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="178"/>
        <source>ssh://user@host/folder, or remote:folder of rclone</source>
        <translation>ssh://user@host/папка или remote:папка из rclone</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="180"/>
        <source>After each good run the new archive is copied there, over ssh with your keys or to a remote of your rclone configuration; a mirror set is mirrored there over ssh. Leave it empty for no off-site copy.</source>
        <translation>После каждого удачного запуска новый архив копируется туда: по ssh с вашими ключами или в удалённое хранилище из вашей настройки rclone; зеркальный набор зеркалируется туда по ssh. Оставьте пустым, если копия вне компьютера не нужна.</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="183"/>
        <source>Check that the off-site destination can be reached and written.</source>
        <translation>Проверить, что место вне компьютера доступно и в него можно писать.</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="188"/>
        <source>Fill in the file name from the set name, blanks made underscores.</source>
        <translation>Заполнить имя файла по имени набора, пробелы заменяются подчёркиваниями.</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="190"/>
        <source>Put a special folder into Source: application data, documents, pictures, music, the desktop, the home folder or the Firefox profile.</source>
        <translation>Вставить в поле «Источник» стандартную папку: данные приложений, документы, изображения, музыку, рабочий стол, домашнюю папку или профиль Firefox.</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="192"/>
        <source>Pick the source folder.</source>
        <translation>Выбрать папку-источник.</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="193"/>
        <source>Pick the destination folder.</source>
        <translation>Выбрать папку назначения.</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="196"/>
        <source>The set remembers the disk its destination was on and refuses to run when the destination is on another one. Take the disk now at the destination as the set&apos;s disk from now on.</source>
        <translation>Набор запоминает диск, на котором была папка назначения, и не запускается, если она оказалась на другом диске. Эта кнопка делает диск, который сейчас в папке назначения, диском набора.</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="286"/>
        <source>unchanged</source>
        <translation>не меняется</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="434"/>
        <source>The disk now at &apos;%1&apos; is this set&apos;s disk from now on, once you press OK.</source>
        <translation>Диск, который сейчас в «%1», станет диском этого набора, как только вы нажмёте OK.</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="135"/>
        <source>Password &amp;file:</source>
        <translation>Файл &amp;пароля:</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="187"/>
        <source>none: scheduled runs take the password from the keyring</source>
        <translation>нет: запуски по расписанию берут пароль из связки ключей</translation>
    </message>
    <message>
        <location filename="../../dialogs/CSetPropDlg.cpp" line="189"/>
        <source>For a computer whose keyring is not unlocked when the set runs by itself: the full path of a file of your own that only you can read (chmod 600), with the set&apos;s password on its first line. Its timer gives it to velmora-run as --password-file.</source>
        <translation>Для компьютера, на котором связка ключей не разблокирована, когда набор запускается сам: полный путь к вашему собственному файлу, который можете читать только вы (chmod 600), с паролем набора в первой строке. Таймер набора передаёт его velmora-run как --password-file.</translation>
    </message>
</context>
<context>
    <name>ConsoleRunner</name>
    <message>
        <location filename="../../engine/ConsoleRunner.cpp" line="203"/>
        <source>no program was given.</source>
        <translation>программа не указана.</translation>
    </message>
    <message>
        <location filename="../../engine/ConsoleRunner.cpp" line="205"/>
        <source>%1 does not exist.</source>
        <translation>%1 не существует.</translation>
    </message>
    <message>
        <location filename="../../engine/ConsoleRunner.cpp" line="207"/>
        <source>%1 is not an executable program.</source>
        <translation>%1 не является исполняемой программой.</translation>
    </message>
    <message>
        <location filename="../../engine/ConsoleRunner.cpp" line="209"/>
        <source>its working folder %1 does not exist.</source>
        <translation>её рабочая папка %1 не существует.</translation>
    </message>
    <message>
        <location filename="../../engine/ConsoleRunner.cpp" line="211"/>
        <source>the system could not start it (%1).</source>
        <translation>система не смогла её запустить (%1).</translation>
    </message>
    <message>
        <location filename="../../engine/ConsoleRunner.cpp" line="350"/>
        <source>it was ended by signal %1.</source>
        <translation>она была завершена сигналом %1.</translation>
    </message>
</context>
<context>
    <name>LastRun</name>
    <message>
        <location filename="../../engine/LastRun.cpp" line="201"/>
        <source>the output was passed on whole as it came</source>
        <translation>вывод целиком передан дальше по мере поступления</translation>
    </message>
</context>
<context>
    <name>RetentionFields</name>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="24"/>
        <source>Last</source>
        <translation>Последних</translation>
    </message>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="25"/>
        <source>How many of the newest points are kept, whatever their time.</source>
        <translation>Сколько самых новых точек хранить, каким бы ни было их время.</translation>
    </message>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="26"/>
        <source>Hours</source>
        <translation>Часов</translation>
    </message>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="27"/>
        <source>The newest point of each of this many last hours that have one.</source>
        <translation>Самая новая точка каждого из стольких последних часов, в которые точки есть.</translation>
    </message>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="28"/>
        <source>Days</source>
        <translation>Дней</translation>
    </message>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="29"/>
        <source>The newest point of each of this many last days that have one.</source>
        <translation>Самая новая точка каждого из стольких последних дней, в которые точки есть.</translation>
    </message>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="30"/>
        <source>Weeks</source>
        <translation>Недель</translation>
    </message>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="31"/>
        <source>The newest point of each of this many last weeks that have one.</source>
        <translation>Самая новая точка каждой из стольких последних недель, в которые точки есть.</translation>
    </message>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="32"/>
        <source>Months</source>
        <translation>Месяцев</translation>
    </message>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="33"/>
        <source>The newest point of each of this many last months that have one.</source>
        <translation>Самая новая точка каждого из стольких последних месяцев, в которые точки есть.</translation>
    </message>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="34"/>
        <source>Years</source>
        <translation>Лет</translation>
    </message>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="35"/>
        <source>The newest point of each of this many last years that have one.</source>
        <translation>Самая новая точка каждого из стольких последних лет, в которые точки есть.</translation>
    </message>
    <message>
        <location filename="../../dialogs/RetentionFields.cpp" line="83"/>
        <source>Restore points kept (0 turns a rule off)</source>
        <translation>Хранимые точки восстановления (0 выключает правило)</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <location filename="../../core/StringTable.cpp" line="21"/>
        <source>&amp;About Velmora...</source>
        <translation>&amp;О программе Velmora...</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="22"/>
        <source>The backup set could not be changed: it is no longer in the list, or its new name is already taken by another set&apos;s file.</source>
        <translation>Не удалось изменить набор резервного копирования: его больше нет в списке, или его новое имя уже занято файлом другого набора.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="23"/>
        <source>Error when saving backupset #%d</source>
        <translation>Ошибка при сохранении набора резервного копирования №%d</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="24"/>
        <source>Run this backup set: &apos;%s&apos;?</source>
        <translation>Запустить набор резервного копирования «%s»?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="25"/>
        <source>The selected backup set is no longer in the list, so it was not run.</source>
        <translation>Выбранного набора резервного копирования больше нет в списке, поэтому он не запущен.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="26"/>
        <source>Delete this backup set: &apos;%s&apos;?</source>
        <translation>Удалить набор резервного копирования «%s»?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="27"/>
        <source>The backup set could not be deleted: it is no longer in the list.</source>
        <translation>Не удалось удалить набор резервного копирования: его больше нет в списке.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="28"/>
        <source>One of the required fields is empty.</source>
        <translation>Одно из обязательных полей не заполнено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="29"/>
        <source>Programs (*)</source>
        <translation>Программы (*)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="30"/>
        <source>Set Name</source>
        <translation>Имя набора</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="31"/>
        <source>Set Path</source>
        <translation>Исходная папка</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="32"/>
        <source>Please, restart the program!</source>
        <translation>Пожалуйста, перезапустите программу!</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="34"/>
        <source>Backup set named &apos;%s&apos; already exists. Please, choose another set name!</source>
        <translation>Набор резервного копирования с именем «%s» уже существует. Пожалуйста, выберите другое имя!</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="35"/>
        <source>Delete old files for &apos;%s&apos;?</source>
        <translation>Удалить старые файлы набора «%s»?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="36"/>
        <source>Update all backup sets?</source>
        <translation>Обновить все наборы резервного копирования?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="37"/>
        <source>Pick a directory:</source>
        <translation>Выберите папку:</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="38"/>
        <source>Full archiving</source>
        <translation>Полное архивирование</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="39"/>
        <source>Incremental archiving</source>
        <translation>Инкрементное архивирование</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="40"/>
        <source>New Set</source>
        <translation>Новый набор</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="41"/>
        <source>Mirror copying</source>
        <translation>Зеркальное копирование</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="42"/>
        <source>READY.</source>
        <translation>ГОТОВО.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="43"/>
        <source>WORKING.</source>
        <translation>ВЫПОЛНЯЕТСЯ.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="44"/>
        <source>COPYING.</source>
        <translation>КОПИРОВАНИЕ.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="45"/>
        <source>Update saving location for all tasks?</source>
        <translation>Изменить место сохранения для всех заданий?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="46"/>
        <source>It seems that Mozilla Firefox is not installed.</source>
        <translation>Похоже, Mozilla Firefox не установлен.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="48"/>
        <source>The backup set &apos;%1&apos; failed: %2</source>
        <translation>Набор резервного копирования «%1» не выполнен: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="49"/>
        <source>7-Zip executable missing!</source>
        <translation>Программа 7-Zip не найдена!</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="50"/>
        <source>rsync not found!</source>
        <translation>Программа rsync не найдена!</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="52"/>
        <source>the source folder &apos;%1&apos; does not exist or is not a folder. Nothing was changed.</source>
        <translation>исходная папка «%1» не существует или не является папкой. Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="55"/>
        <source>%1 ended with exit code %2. The previous backup was left as it was.</source>
        <translation>%1 завершилась с кодом %2. Предыдущая резервная копия осталась как была.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="56"/>
        <source>%1 could not be run: %2</source>
        <translation>не удалось запустить %1: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="58"/>
        <source>the new archive could not be put in place: %1. The previous archive was left as it was.</source>
        <translation>новый архив не удалось поставить на место: %1. Предыдущий архив остался как был.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="61"/>
        <source>the exclusion list could not be written (%1). Nothing was changed.</source>
        <translation>не удалось записать список исключений (%1). Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="63"/>
        <source>the source or the destination is empty or not a full folder path. Nothing was changed.</source>
        <translation>исходная папка или папка назначения не указана или указана не полным путём. Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="66"/>
        <source>the mirror folder &apos;%1&apos; is the source folder, lies inside it or contains it. Nothing was changed.</source>
        <translation>папка зеркала «%1» совпадает с исходной папкой, лежит внутри неё или содержит её. Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="70"/>
        <source>A backup is already running. Please wait until it has finished.</source>
        <translation>Резервное копирование уже выполняется. Пожалуйста, дождитесь его окончания.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="71"/>
        <source>These backup sets failed:
%1</source>
        <translation>Не выполнены наборы резервного копирования:
%1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="72"/>
        <source>the set no longer exists.</source>
        <translation>набора больше нет.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="73"/>
        <source>7-Zip wrote no archive</source>
        <translation>7-Zip не создала архив</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="74"/>
        <source>View Log shows the output.</source>
        <translation>Вывод программы можно посмотреть в журнале.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="76"/>
        <source>the archive name &apos;%1&apos; cannot be used as a file name. Nothing was changed.</source>
        <translation>имя архива «%1» нельзя использовать как имя файла. Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="77"/>
        <source>Please enter an integer.</source>
        <translation>Введите целое число.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="79"/>
        <source>This set name cannot be used as a file name: it may not be &quot;.&quot; or &quot;..&quot;, contain &quot;/&quot; or be longer than 250 bytes. Please, choose another set name!</source>
        <translation>Это имя набора нельзя использовать как имя файла: оно не может быть «.» или «..», содержать «/» или быть длиннее 250 байт. Пожалуйста, выберите другое имя набора!</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="83"/>
        <source>The source folder &apos;%2&apos; of the backup set &apos;%1&apos; is empty. A disk that is not mounted looks like this. Go on and make the backup of an empty folder?</source>
        <translation>Исходная папка «%2» набора резервного копирования «%1» пуста. Так выглядит диск, который не подключён. Продолжить и сделать копию пустой папки?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="86"/>
        <source>the source folder &apos;%1&apos; is empty. Nothing was changed.</source>
        <translation>исходная папка «%1» пуста. Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="88"/>
        <source>the destination folder &apos;%1&apos; does not exist. Nothing was changed.</source>
        <translation>папка назначения «%1» не существует. Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="90"/>
        <source>the source folder &apos;%1&apos; vanished or was replaced while rsync copied it. The mirror may have lost files; make sure the source is in place before the next run.</source>
        <translation>исходная папка «%1» исчезла или была заменена, пока rsync её копировал. Зеркало могло потерять файлы; перед следующим запуском убедитесь, что исходная папка на месте.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="94"/>
        <source>%1 was ended by signal %2. The previous backup was left as it was.</source>
        <translation>%1 завершён сигналом %2. Предыдущая резервная копия оставлена как была.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="96"/>
        <source>7-Zip archived nothing: the excluded file types and folders leave out every file of the source folder &apos;%1&apos;. The archive &apos;%2&apos; was kept as it was.</source>
        <translation>7-Zip ничего не заархивировал: исключённые типы файлов и папки не оставляют ни одного файла исходной папки «%1». Архив «%2» оставлен как был.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="100"/>
        <source>the archive type %1 or the compression level %2 of the set is not valid. Nothing was changed.</source>
        <translation>тип архива %1 или уровень сжатия %2 набора недопустим. Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="103"/>
        <source>7-Zip could not read these files or folders (%1): %2</source>
        <translation>7-Zip не смог прочитать эти файлы и папки (%1): %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="104"/>
        <source>7-Zip reported warnings (exit code %1)</source>
        <translation>7-Zip сообщил о предупреждениях (код завершения %1)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="106"/>
        <source>The backup set &apos;%1&apos; was made, with warnings: %2</source>
        <translation>Набор резервного копирования «%1» выполнен с предупреждениями: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="107"/>
        <source>some files vanished while rsync copied them</source>
        <translation>некоторые файлы исчезли, пока rsync их копировал</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="109"/>
        <source>These backup sets were made, with warnings:
%1</source>
        <translation>Эти наборы резервного копирования выполнены с предупреждениями:
%1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="111"/>
        <source>[%1 bytes left out here. The whole output is in &apos;%2&apos;.]</source>
        <translation>[здесь пропущено байт: %1. Весь вывод находится в «%2».]</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="113"/>
        <source>[%1 bytes left out here. The whole output could not be kept in &apos;%2&apos;: %3]</source>
        <translation>[здесь пропущено байт: %1. Весь вывод не удалось сохранить в «%2»: %3]</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="115"/>
        <source>[%1 characters left out here. The tools&apos; whole output is in &apos;%2&apos;.]</source>
        <translation>[здесь пропущено символов: %1. Весь вывод программ находится в «%2».]</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="116"/>
        <source>[%1 characters left out here.]</source>
        <translation>[здесь пропущено символов: %1.]</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="118"/>
        <source>it is not a regular file</source>
        <translation>это не обычный файл</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="119"/>
        <source>its name is not valid UTF-8</source>
        <translation>его имя не является допустимым текстом UTF-8</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="120"/>
        <source>its name cannot be the name of a backup set</source>
        <translation>его имя не может быть именем набора резервного копирования</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="121"/>
        <source>it cannot be read: %1</source>
        <translation>его не удаётся прочитать: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="122"/>
        <source>The file &apos;%1&apos; was not loaded as a backup set: %2</source>
        <translation>Файл «%1» не загружен как набор резервного копирования: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="125"/>
        <source>the run was stopped. The previous backup was left as it was.</source>
        <translation>запуск был остановлен. Предыдущая резервная копия осталась как была.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="127"/>
        <source>the run took longer than its time limit of %1 seconds and was stopped. The previous backup was left as it was.</source>
        <translation>запуск длился дольше отведённого ему времени (%1 с) и был остановлен. Предыдущая резервная копия осталась как была.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="132"/>
        <source>These files could not be saved, and their changes are lost:
%1</source>
        <translation>Эти файлы не удалось сохранить, их изменения потеряны:
%1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="167"/>
        <source>This desktop has no program to open &apos;%1&apos;. Please open it yourself.</source>
        <translation>В этой системе нет программы, чтобы открыть «%1». Откройте его, пожалуйста, сами.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="174"/>
        <source>There is no archive of this set in &apos;%1&apos;.</source>
        <translation>В «%1» нет архивов этого набора.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="175"/>
        <source>These files could not be deleted:
%1</source>
        <translation>Не удалось удалить эти файлы:
%1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="186"/>
        <source>[The start of this log is left out; these are about the last %1 of its %2. The whole log is in &apos;%3&apos;.]</source>
        <translation>[Начало журнала не показано; здесь примерно последние %1 из %2. Весь журнал — в файле «%3».]</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="189"/>
        <source>Not finished</source>
        <translation>Не завершено</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="192"/>
        <source>The rsync location &apos;%1&apos; does not exist or is not a program that can be run. Please choose the rsync program.</source>
        <translation>Расположение rsync «%1» не существует или не является запускаемой программой. Выберите программу rsync.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="225"/>
        <source>The source folder &apos;%1&apos; does not exist or is not a folder, so nothing can be restored over it. Restore into a new folder instead.</source>
        <translation>Исходная папка «%1» не существует или не является папкой, поэтому восстановить поверх неё нельзя. Восстановите в новую папку.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="229"/>
        <source>&apos;%1&apos; is a link or a file, not a folder, so the files chosen inside it cannot be restored over the source. Restore into a new folder instead.</source>
        <translation>«%1» — ссылка или файл, а не папка, поэтому выбранные в ней файлы нельзя восстановить поверх исходной папки. Восстановите в новую папку.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="234"/>
        <source>the restored files could not be moved to &apos;%1&apos;: %2. Not all of its files could be put back; the others are in &apos;%3&apos;.</source>
        <translation>не удалось переместить восстановленные файлы в «%1»: %2. Не все её файлы удалось вернуть на место; остальные находятся в «%3».</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="248"/>
        <source>Files restored to &apos;%2&apos;: %1.</source>
        <translation>Файлов восстановлено в «%2»: %1.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="250"/>
        <source>The folder to restore into must be a full folder path: &apos;%1&apos;.</source>
        <translation>Папка для восстановления должна быть указана полным путём: «%1».</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="251"/>
        <source>Not restored: %1</source>
        <translation>Не восстановлено: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="254"/>
        <source>the new archive &apos;%1&apos; did not test good (%2); the previous backup was kept.</source>
        <translation>новый архив «%1» не прошёл проверку (%2); прежняя копия сохранена.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="255"/>
        <source>7-Zip&apos;s test ended with exit code %1</source>
        <translation>проверка 7-Zip завершилась с кодом %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="256"/>
        <source>7-Zip&apos;s test was ended by signal %1</source>
        <translation>проверка 7-Zip прервана сигналом %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="257"/>
        <source>7-Zip could not be started to test it: %1</source>
        <translation>не удалось запустить 7-Zip для проверки: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="259"/>
        <source>, verified in %1</source>
        <translation>, проверено за %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="261"/>
        <source>The full archive &apos;%1&apos; was missing: a new full archive was started.</source>
        <translation>Полного архива «%1» не было: начат новый полный архив.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="263"/>
        <source>The full archive &apos;%1&apos; did not test good: a new full archive was started.</source>
        <translation>Полный архив «%1» не прошёл проверку: начат новый полный архив.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="264"/>
        <source>&apos;%1&apos; is a mirror set: it has no archive to test.</source>
        <translation>«%1» — зеркальный набор: в нём нет архивов для проверки.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="265"/>
        <source>there is no archive of this set in &apos;%1&apos;.</source>
        <translation>в «%1» нет архивов этого набора.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="267"/>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="268"/>
        <source>did not test good: %1</source>
        <translation>не прошёл проверку: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="269"/>
        <source>missing</source>
        <translation>отсутствует</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="270"/>
        <source>Archives tested good: %1.</source>
        <translation>Архивов прошло проверку: %1.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="271"/>
        <source>the verification failed for %1</source>
        <translation>проверку не прошли: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="272"/>
        <source>Last verified: %1</source>
        <translation>Последняя проверка: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="273"/>
        <source>Never verified</source>
        <translation>Ещё не проверялся</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="274"/>
        <source>The backup set &apos;%1&apos; is done. %2</source>
        <translation>Набор резервного копирования «%1» выполнен. %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="276"/>
        <source>Manual</source>
        <translation>Вручную</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="277"/>
        <source>Every hour</source>
        <translation>Каждый час</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="278"/>
        <source>Every day</source>
        <translation>Каждый день</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="279"/>
        <source>Every week</source>
        <translation>Каждую неделю</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="281"/>
        <source>Every day at %1</source>
        <translation>Каждый день в %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="283"/>
        <source>Every week on %1 at %2</source>
        <translation>Каждую неделю: %1, в %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="285"/>
        <source>There is no systemd user instance here, so the scheduled sets will not run by themselves. To run them with cron instead, add these lines to your crontab (crontab -e). Cron does not run a backup missed while the computer was off.</source>
        <translation>Здесь нет пользовательского экземпляра systemd, поэтому наборы по расписанию сами не запустятся. Чтобы запускать их через cron, добавьте эти строки в свой crontab (crontab -e). Cron не выполняет копирование, пропущенное, пока компьютер был выключен.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="290"/>
        <source>The schedule file &apos;%1&apos; could not be written.</source>
        <translation>Не удалось записать файл расписания «%1».</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="292"/>
        <source>The schedule file &apos;%1&apos; could not be removed.</source>
        <translation>Не удалось удалить файл расписания «%1».</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="294"/>
        <source>&apos;%1&apos; failed: %2</source>
        <translation>Команда «%1» не выполнена: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="296"/>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="297"/>
        <source>Monday</source>
        <translation>понедельник</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="298"/>
        <source>Tuesday</source>
        <translation>вторник</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="299"/>
        <source>Wednesday</source>
        <translation>среда</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="300"/>
        <source>Thursday</source>
        <translation>четверг</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="301"/>
        <source>Friday</source>
        <translation>пятница</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="302"/>
        <source>Saturday</source>
        <translation>суббота</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="303"/>
        <source>Sunday</source>
        <translation>воскресенье</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="304"/>
        <source>Overdue</source>
        <translation>Просрочен</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="305"/>
        <source>Backup set &apos;%1&apos; failed</source>
        <translation>Набор резервного копирования «%1» не выполнен</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="306"/>
        <source>Backup set &apos;%1&apos; is done with warnings</source>
        <translation>Набор резервного копирования «%1» выполнен с предупреждениями</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="307"/>
        <source>Backup sets need attention: %1</source>
        <translation>Наборы требуют внимания: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="308"/>
        <source>Show the log</source>
        <translation>Показать журнал</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="309"/>
        <source>overdue: no success since %1</source>
        <translation>просрочен: нет успешного запуска с %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="310"/>
        <source>overdue: it never succeeded</source>
        <translation>просрочен: ни одного успешного запуска</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="311"/>
        <source>failed on %1: %2</source>
        <translation>ошибка %1: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="312"/>
        <source>Velmora: backups overdue or failed: %1</source>
        <translation>Velmora: просроченных или неудачных копий: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="313"/>
        <source>Backup sets overdue: %1, failed: %2.</source>
        <translation>Просроченных наборов: %1, с ошибкой: %2.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="315"/>
        <source>no password was given for the encrypted set &apos;%1&apos;</source>
        <translation>для зашифрованного набора «%1» не задан пароль</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="317"/>
        <source>wrong password for the archive %1</source>
        <translation>неверный пароль для архива %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="319"/>
        <source>The password was changed: a new full archive was made with the new one</source>
        <translation>Пароль изменён: создан новый полный архив с новым паролем</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="322"/>
        <source>%1 was not encrypted: a new encrypted full archive was made</source>
        <translation>%1 не был зашифрован: создан новый зашифрованный полный архив</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="325"/>
        <source>the archive %1 is encrypted and needs its password</source>
        <translation>архив %1 зашифрован, нужен его пароль</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="326"/>
        <source>wrong password</source>
        <translation>неверный пароль</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="328"/>
        <source>a zip archive&apos;s password may hold only English letters, digits, spaces and signs; choose such a password, or the 7z type, which takes any</source>
        <translation>пароль zip-архива может содержать только английские буквы, цифры, пробелы и знаки; выберите такой пароль или тип 7z, который принимает любой</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="331"/>
        <source>a password cannot hold a line break</source>
        <translation>пароль не может содержать перевод строки</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="358"/>
        <source>The set &apos;%1&apos; was made from &apos;%2&apos;. Check its properties before its next run.</source>
        <translation>Набор «%1» создан по «%2». Проверьте его свойства перед следующим запуском.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="359"/>
        <source>Full archives (*.7z *.zip)</source>
        <translation>Полные архивы (*.7z *.zip)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="362"/>
        <source>Restore over the files in &apos;%1&apos; as of %2?

Overwritten with the backup&apos;s version: %3
Added: %4
Removed (not in the backup): %5
The same as in the backup: %6
Outside your choice, left as they are: %7

Files overwritten or removed cannot be brought back unless a backup holds them.</source>
        <translation>Восстановить поверх файлов в «%1» на %2?

Будут заменены версией из копии: %3
Будут добавлены: %4
Будут удалены (их нет в копии): %5
Совпадают с копией: %6
Вне выбранного, останутся как есть: %7

Заменённые и удалённые файлы нельзя будет вернуть, если их нет ни в одной резервной копии.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="368"/>
        <source>Restored over &apos;%1&apos; as of %2. Files overwritten: %3, added: %4, removed: %5.</source>
        <translation>Восстановлено поверх «%1» на %2. Файлов заменено: %3, добавлено: %4, удалено: %5.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="371"/>
        <source>An archive found on disk has no known source folder: restore into a new folder and move the files you need from there.</source>
        <translation>У архива, найденного на диске, неизвестна исходная папка: восстановите в новую папку и перенесите оттуда нужные файлы.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="375"/>
        <source>The destination &apos;%1&apos; is not on the disk it was on. Is the disk connected?</source>
        <translation>Папка назначения «%1» находится не на том диске, на котором была. Диск подключён?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="377"/>
        <source>If the disk now at &apos;%1&apos; is the one to back up to, the set can use it from now on. Use this disk for the set &apos;%2&apos; from now on? Then run the set again.</source>
        <translation>Если диск, который сейчас в «%1», — тот, на который нужно делать копии, набор может впредь использовать его. Использовать этот диск для набора «%2» впредь? Затем запустите набор снова.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="381"/>
        <source>The disk at &apos;%1&apos; could not be recorded for the set; nothing was changed.</source>
        <translation>Не удалось запомнить диск в «%1» для набора; ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="383"/>
        <source>there is not enough free space in &apos;%1&apos; for this run: it needs about %2, and %3 is free. Nothing was changed.</source>
        <translation>в «%1» недостаточно свободного места для этого запуска: нужно около %2, а свободно %3. Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="387"/>
        <source>The two passwords differ. Type the same password in both fields.</source>
        <translation>Пароли не совпадают. Введите один и тот же пароль в оба поля.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="388"/>
        <source>A password may not contain a line break.</source>
        <translation>Пароль не может содержать перевод строки.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="390"/>
        <source>No password is known for this set. Type the password for its archives in both fields.</source>
        <translation>Пароль этого набора неизвестен. Введите пароль его архивов в оба поля.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="394"/>
        <source>The password of &apos;%1&apos; has changed. Its next run starts a new chain of archives with the new password; the archives made so far open only with the old password.</source>
        <translation>Пароль набора «%1» изменён. Следующий запуск начнёт новую цепочку архивов с новым паролем; уже созданные архивы открываются только старым паролем.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="398"/>
        <source>&apos;%1&apos; is encrypted from now on. Its next run starts a new, encrypted chain of archives; the archives made so far are kept as they are, unencrypted.</source>
        <translation>Набор «%1» теперь шифруется. Следующий запуск начнёт новую, зашифрованную цепочку архивов; уже созданные архивы сохраняются как есть, незашифрованными.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="402"/>
        <source>&apos;%1&apos; is no longer encrypted, and its password is removed from the keyring. Its next run starts a new chain without a password; the archives made so far open only with the old password.</source>
        <translation>Набор «%1» больше не шифруется, его пароль удалён из связки ключей. Следующий запуск начнёт новую цепочку без пароля; уже созданные архивы открываются только старым паролем.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="407"/>
        <source>No keyring could keep the password of &apos;%2&apos; (%1). Velmora keeps it only until the window is closed; after that the window asks for it when the set runs, and scheduled runs of the set fail.</source>
        <translation>Ни одна связка ключей не смогла сохранить пароль набора «%2» (%1). Velmora помнит его только до закрытия окна; после этого окно спросит пароль при запуске набора, а запуски по расписанию будут завершаться ошибкой.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="411"/>
        <source>The password of &apos;%1&apos; could not be removed from the keyring: %2</source>
        <translation>Не удалось удалить пароль набора «%1» из связки ключей: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="412"/>
        <source>no password was given for the encrypted set</source>
        <translation>для зашифрованного набора не введён пароль</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="414"/>
        <source>AES-256; the names of the files are hidden too.</source>
        <translation>AES-256; имена файлов тоже скрыты.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="416"/>
        <source>AES-256 for the files; their names stay visible in a zip archive.</source>
        <translation>AES-256 для файлов; их имена в zip-архиве остаются видны.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="418"/>
        <source>7-Zip takes only English letters, digits, spaces and signs in a zip archive&apos;s password. Choose such a password, or the 7z type, which takes any.</source>
        <translation>7-Zip принимает в пароле zip-архива только английские буквы, цифры, пробелы и знаки. Выберите такой пароль или тип 7z, который принимает любой.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="423"/>
        <source>ssh does not know the key of %1, so Velmora did not connect. Connect once with %2 from a terminal and accept its key, then run again.</source>
        <translation>ssh не знает ключ %1, поэтому Velmora не стала подключаться. Подключитесь один раз командой %2 из терминала и примите ключ, затем запустите снова.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="427"/>
        <source>The key of %1 is not the one ssh knows. Someone may be listening in between, or the computer was set up anew; ask its owner before you accept the new key.</source>
        <translation>Ключ %1 не совпадает с тем, который знает ssh. Возможно, кто-то подслушивает соединение, или компьютер был установлен заново; спросите его владельца, прежде чем принять новый ключ.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="431"/>
        <source>%1 cannot be reached: &quot;%2&quot;</source>
        <translation>%1 недоступен: «%2»</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="433"/>
        <source>%1 refused the login: &quot;%2&quot;. Velmora types no passwords; give this account a key that %1 takes.</source>
        <translation>%1 отказал во входе: «%2». Velmora не вводит паролей; дайте этой учётной записи ключ, который %1 принимает.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="435"/>
        <source>There is no room left at %1: &quot;%2&quot;</source>
        <translation>В %1 не осталось места: «%2»</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="437"/>
        <source>%1 is not installed. Install the package %2.</source>
        <translation>%1 не установлен. Установите пакет %2.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="439"/>
        <source>The rclone configuration has no remote named %1. Add it with rclone config: &quot;%2&quot;</source>
        <translation>В настройках rclone нет удалённого хранилища %1. Добавьте его командой rclone config: «%2»</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="441"/>
        <source>The folder %1 cannot be made or written: &quot;%2&quot;</source>
        <translation>Папку %1 нельзя создать или записать: «%2»</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="443"/>
        <source>The copy of %1 at %2 does not match the file here.</source>
        <translation>Копия %1 в %2 не совпадает с файлом здесь.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="445"/>
        <source>The mirror %1 is, holds or lies in the source folder on this same computer. Nothing was changed there.</source>
        <translation>Зеркало %1 совпадает с исходной папкой на этом же компьютере, содержит её или лежит в ней. Там ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="449"/>
        <source>A mirror set goes off site only over ssh, and %1 is a destination of rclone.</source>
        <translation>Зеркальный набор копируется вне компьютера только через ssh, а %1 — место назначения rclone.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="452"/>
        <source>%1 ended with exit code %2: &quot;%3&quot;</source>
        <translation>%1 завершился с кодом %2: «%3»</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="454"/>
        <source>The copy off site was stopped. The backup here is complete.</source>
        <translation>Копирование вне компьютера остановлено. Резервная копия здесь полная.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="457"/>
        <source>The copy off site took longer than its time limit of %1 seconds and was stopped. The backup here is complete.</source>
        <translation>Копирование вне компьютера длилось дольше предела в %1 секунд и было остановлено. Резервная копия здесь полная.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="461"/>
        <source>The full archive %1 is not here, so nothing was copied off site.</source>
        <translation>Полного архива %1 здесь нет, поэтому ничего не скопировано вне компьютера.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="463"/>
        <source>rsync is not installed on %1. Install the package rsync there.</source>
        <translation>На %1 не установлен rsync. Установите там пакет rsync.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="464"/>
        <source>%1 is not an archive of this set.</source>
        <translation>%1 — не архив этого набора.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="466"/>
        <source>%1 arrived with %2 bytes instead of %3.</source>
        <translation>%1 получен размером %2 байт вместо %3.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="468"/>
        <source>The source folder %1 has no name to give its mirror there.</source>
        <translation>У исходной папки %1 нет имени, которое можно дать её зеркалу там.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="469"/>
        <source>%1 was ended by signal %2.</source>
        <translation>%1 завершён сигналом %2.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="471"/>
        <source>%1 is not at %2.</source>
        <translation>%1 нет в %2.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="473"/>
        <source>&apos;%1&apos; names no off-site destination. Give ssh://USER@HOST/FOLDER for another computer, or REMOTE:FOLDER for a remote of your rclone configuration.</source>
        <translation>«%1» не задаёт место вне компьютера. Укажите ssh://USER@HOST/FOLDER для другого компьютера или REMOTE:FOLDER для удалённого хранилища из вашей настройки rclone.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="476"/>
        <source>The user name in &apos;%1&apos; is not valid.</source>
        <translation>Имя пользователя в «%1» недопустимо.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="477"/>
        <source>The host name in &apos;%1&apos; is not valid.</source>
        <translation>Имя компьютера в «%1» недопустимо.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="478"/>
        <source>The port in &apos;%1&apos; is not a number from 1 to 65535.</source>
        <translation>Порт в «%1» — не число от 1 до 65535.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="480"/>
        <source>&apos;%1&apos; names no folder there. Add the folder the backups go to.</source>
        <translation>В «%1» не указана папка. Добавьте папку, куда пойдут резервные копии.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="482"/>
        <source>The name of the rclone remote in &apos;%1&apos; is not valid.</source>
        <translation>Имя удалённого хранилища rclone в «%1» недопустимо.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="484"/>
        <source>&apos;%1&apos; holds a line break or another control character.</source>
        <translation>«%1» содержит перевод строки или другой управляющий символ.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="485"/>
        <source>Done here, off-site copy failed: %1</source>
        <translation>Сделано здесь, копирование вне компьютера не удалось: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="486"/>
        <source>, copied off site</source>
        <translation>, скопировано вне компьютера</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="488"/>
        <source>The backup set &apos;%1&apos; was made here, but its off-site copy failed: %2</source>
        <translation>Набор «%1» сохранён здесь, но копирование вне компьютера не удалось: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="490"/>
        <source>These backup sets were made here, but their off-site copy failed:
%1</source>
        <translation>Эти наборы сохранены здесь, но копирование вне компьютера не удалось:
%1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="491"/>
        <source>COPYING OFF SITE.</source>
        <translation>КОПИРОВАНИЕ ВНЕ КОМПЬЮТЕРА.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="492"/>
        <source>Off-site failed</source>
        <translation>Нет копии</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="493"/>
        <source>the off-site copy failed at %1: %2</source>
        <translation>копирование вне компьютера не удалось %1: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="494"/>
        <source>Backup set &apos;%1&apos; was not copied off site</source>
        <translation>Набор «%1» не скопирован вне компьютера</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="495"/>
        <source>Type an off-site destination to test first.</source>
        <translation>Сначала введите место вне компьютера.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="496"/>
        <source>Testing %1…</source>
        <translation>Проверка %1…</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="497"/>
        <source>%1 can be reached and written.</source>
        <translation>%1 доступно, и в него можно писать.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="498"/>
        <source>The backup set &apos;%1&apos; has no off-site destination.</source>
        <translation>У набора «%1» нет места вне компьютера.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="499"/>
        <source>No archive of the set is at &apos;%1&apos;.</source>
        <translation>В «%1» нет ни одного архива набора.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="500"/>
        <source>Fetching the archives of &apos;%1&apos; from &apos;%2&apos;</source>
        <translation>Загрузка архивов «%1» из «%2»</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="502"/>
        <source>%1
Fetch the set&apos;s archives from its off-site copy at &apos;%2&apos; and restore from them? They are kept only while this window is open.</source>
        <translation>%1
Загрузить архивы набора из его копии вне компьютера «%2» и восстановить из них? Они хранятся, только пока открыто это окно.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="505"/>
        <source>The points as the off-site copy at &apos;%1&apos; has them.</source>
        <translation>Точки восстановления из копии вне компьютера «%1».</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="506"/>
        <source>Nothing was fetched from off site: %1</source>
        <translation>Ничего не загружено из копии вне компьютера: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="508"/>
        <source>The set &apos;%1&apos; keeps its copy under the same names in that off-site folder: each would overwrite and remove the other&apos;s. Give this set another archive name or another off-site folder.</source>
        <translation>Набор «%1» хранит свою копию под теми же именами в этой папке вне компьютера: каждый перезаписывал бы и удалял копии другого. Дайте этому набору другое имя архива или другую папку вне компьютера.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="513"/>
        <source>[From here on this log keeps only the warning and error lines of the standard output, and its last part at the end.]</source>
        <translation>[Дальше этот журнал хранит только строки предупреждений и ошибок стандартного вывода, а в конце — его последнюю часть.]</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="517"/>
        <source>[From here on this log keeps only the warning and error lines of the error output, and its last part at the end.]</source>
        <translation>[Дальше этот журнал хранит только строки предупреждений и ошибок вывода ошибок, а в конце — его последнюю часть.]</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="521"/>
        <source>[%1 bytes of the standard output are left out of this log; %2 of its warning and error lines are kept above, %3 more are left out. Its last part follows.]</source>
        <translation>[В этот журнал не вошло байт стандартного вывода: %1; строк предупреждений и ошибок из них сохранено выше: %2, пропущено ещё: %3. Далее — его последняя часть.]</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="525"/>
        <source>[%1 bytes of the error output are left out of this log; %2 of its warning and error lines are kept above, %3 more are left out. Its last part follows.]</source>
        <translation>[В этот журнал не вошло байт вывода ошибок: %1; строк предупреждений и ошибок из них сохранено выше: %2, пропущено ещё: %3. Далее — его последняя часть.]</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="529"/>
        <source>[%1 bytes left out here. The run&apos;s log &apos;%2&apos; keeps the first and last part of the output and its warning and error lines.]</source>
        <translation>[здесь пропущено байт: %1. Журнал запуска «%2» хранит начало и конец вывода и его строки предупреждений и ошибок.]</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="533"/>
        <source>[%1 characters left out here. The run&apos;s log &apos;%2&apos; keeps the first and last part of the output and its warning and error lines.]</source>
        <translation>[здесь пропущено символов: %1. Журнал запуска «%2» хранит начало и конец вывода и его строки предупреждений и ошибок.]</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="134"/>
        <source>Done in %1</source>
        <translation>Готово за %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="135"/>
        <source>Done with warnings in %1</source>
        <translation>Готово с предупреждениями за %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="136"/>
        <source>Done with warnings (%1) in %2</source>
        <translation>Готово с предупреждениями (%1) за %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="137"/>
        <source>Failed: %1</source>
        <translation>Ошибка: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="138"/>
        <source>Stopped</source>
        <translation>Остановлено</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="139"/>
        <source>Stopped: %1</source>
        <translation>Остановлено: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="140"/>
        <source>Not run: %1</source>
        <translation>Не запускалось: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="141"/>
        <source>, %1 written</source>
        <translation>, записано %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="142"/>
        <source>%1 s</source>
        <translation>%1 с</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="143"/>
        <source>%1 min %2 s</source>
        <translation>%1 мин %2 с</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="181"/>
        <source>%1 min</source>
        <translation>%1 мин</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="144"/>
        <source>%1 h %2 min</source>
        <translation>%1 ч %2 мин</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="183"/>
        <source>about %1 left</source>
        <translation>осталось около %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="145"/>
        <source>%1 bytes</source>
        <translation>%1 байт</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="146"/>
        <source>%1 KB</source>
        <translation>%1 КБ</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="147"/>
        <source>%1 MB</source>
        <translation>%1 МБ</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="148"/>
        <source>%1 GB</source>
        <translation>%1 ГБ</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="149"/>
        <source>%1 TB</source>
        <translation>%1 ТБ</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="151"/>
        <source>Never run</source>
        <translation>Ещё не запускалось</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="152"/>
        <source>Done</source>
        <translation>Готово</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="153"/>
        <source>Done with warnings</source>
        <translation>Готово с предупреждениями</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="154"/>
        <source>Failed</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="155"/>
        <source>Not run</source>
        <translation>Не запускалось</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="157"/>
        <source>STOPPED.</source>
        <translation>ОСТАНОВЛЕНО.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="163"/>
        <source>set %1 of %2</source>
        <translation>набор %1 из %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="164"/>
        <source>Last success</source>
        <translation>Последний успех</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="165"/>
        <source>Result</source>
        <translation>Результат</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="177"/>
        <source>Never</source>
        <translation>Никогда</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="179"/>
        <source>%1/s</source>
        <translation>%1/с</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="159"/>
        <source>A backup is running. Stop it and close Velmora? What it has written so far is removed; backups made before are not touched.</source>
        <translation>Идёт резервное копирование. Остановить его и закрыть Velmora? Уже записанное будет удалено; сделанные ранее копии не изменятся.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="197"/>
        <source>The folder &apos;%1&apos; is not empty. A restore goes only into a new or an empty folder.</source>
        <translation>Папка «%1» не пуста. Восстановление выполняется только в новую или пустую папку.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="199"/>
        <source>&apos;%1&apos; is not a folder.</source>
        <translation>«%1» не является папкой.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="200"/>
        <source>there is no such restore point.</source>
        <translation>такой точки восстановления нет.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="201"/>
        <source>&apos;%1&apos; is not a path inside the backup.</source>
        <translation>«%1» не является путём внутри резервной копии.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="202"/>
        <source>&apos;%1&apos; is not in the backup as of %2.</source>
        <translation>«%1» нет в резервной копии на момент %2.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="203"/>
        <source>the folder &apos;%1&apos; could not be created: %2</source>
        <translation>не удалось создать папку «%1»: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="205"/>
        <source>the restored files could not be moved to &apos;%1&apos;: %2. The folder was left as it was.</source>
        <translation>не удалось переместить восстановленные файлы в «%1»: %2. Папка оставлена как была.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="208"/>
        <source>Zip update archives cannot record deletions: a file deleted from the source after the full archive comes back as an empty file.</source>
        <translation>Архивы обновлений zip не могут хранить удаления: файл, удалённый из источника после полного архива, восстанавливается как пустой файл.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="211"/>
        <source>the archive &apos;%1&apos; could not be listed: %2</source>
        <translation>не удалось получить список архива «%1»: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="212"/>
        <source>there is no archive &apos;%1&apos;.</source>
        <translation>архива «%1» нет.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="213"/>
        <source>the link &apos;%1&apos; could not be recreated: %2</source>
        <translation>не удалось воссоздать ссылку «%1»: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="214"/>
        <source>there is no mirror folder &apos;%1&apos;.</source>
        <translation>папки зеркала «%1» нет.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="216"/>
        <source>the restore was stopped. The folder &apos;%1&apos; was left as it was.</source>
        <translation>восстановление остановлено. Папка «%1» оставлена как была.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="218"/>
        <source>the restore took longer than its time limit of %1 seconds and was stopped. The folder &apos;%2&apos; was left as it was.</source>
        <translation>восстановление заняло больше отведённых %1 секунд и было остановлено. Папка «%2» оставлена как была.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="222"/>
        <source>%1 could not restore the files (exit code %2). The folder &apos;%3&apos; was left as it was.</source>
        <translation>%1 не удалось восстановить файлы (код выхода %2). Папка «%3» оставлена как была.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="238"/>
        <source>There is no backup of &apos;%1&apos; to restore.</source>
        <translation>Нет резервной копии «%1», из которой можно восстановить.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="241"/>
        <source>There is no restore point at or before %1; the first one is %2. Nothing was restored.</source>
        <translation>Нет точки восстановления на %1 или раньше; первая точка — %2. Ничего не восстановлено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="244"/>
        <source>No restore point of &apos;%2&apos; holds &apos;%1&apos;.</source>
        <translation>Ни одна точка восстановления «%2» не содержит «%1».</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="246"/>
        <source>Restoring %1 as of %2 into &apos;%3&apos;</source>
        <translation>Восстановление %1 на %2 в «%3»</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="332"/>
        <source>no password for this set in the keyring</source>
        <translation>в связке ключей нет пароля для этого набора</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="333"/>
        <source>the keyring is locked or missing</source>
        <translation>связка ключей заблокирована или отсутствует</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="336"/>
        <source>The password file &apos;%1&apos; cannot be read: %2. Nothing was run.</source>
        <translation>Файл пароля «%1» не удаётся прочитать: %2. Ничего не запущено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="338"/>
        <source>The password file &apos;%1&apos; is a symbolic link; name the file itself. Nothing was run.</source>
        <translation>Файл пароля «%1» — символическая ссылка; укажите сам файл. Ничего не запущено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="341"/>
        <source>The password file &apos;%1&apos; is not a regular file. Nothing was run.</source>
        <translation>Файл пароля «%1» не является обычным файлом. Ничего не запущено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="343"/>
        <source>The password file &apos;%1&apos; belongs to another user; it must be your own. Nothing was run.</source>
        <translation>Файл пароля «%1» принадлежит другому пользователю; он должен быть вашим. Ничего не запущено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="347"/>
        <source>The password file &apos;%1&apos; has permissions for its group (mode %2); make it private with chmod 600. Nothing was run.</source>
        <translation>Файл пароля «%1» доступен его группе (права %2); закройте его командой chmod 600. Ничего не запущено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="351"/>
        <source>The password file &apos;%1&apos; has permissions for other users (mode %2); make it private with chmod 600. Nothing was run.</source>
        <translation>Файл пароля «%1» доступен другим пользователям (права %2); закройте его командой chmod 600. Ничего не запущено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="355"/>
        <source>The password file &apos;%1&apos; has no password on its first line. Nothing was run.</source>
        <translation>В первой строке файла пароля «%1» нет пароля. Ничего не запущено.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is a symbolic link. Velmora never writes through a link in a destination folder, where someone may have put it to overwrite another file. Remove the link and run again. Nothing was changed.</source>
        <translation>«%1» — символическая ссылка. Velmora никогда не пишет через ссылку в папке назначения: её могли положить туда, чтобы перезаписать другой файл. Удалите ссылку и запустите снова. Ничего не изменено.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a plain file, so Velmora neither reads nor writes it. Remove it and run again. Nothing was changed.</source>
        <translation>«%1» — не обычный файл, поэтому Velmora не читает и не пишет его. Удалите его и запустите снова. Ничего не изменено.</translation>
    </message>
    <message>
        <source>A set name may not contain line breaks, tabs or other control characters. Please, choose another set name!</source>
        <translation>Имя набора не может содержать переводы строк, табуляции и другие управляющие символы. Пожалуйста, выберите другое имя набора!</translation>
    </message>
    <message>
        <source>The password file &apos;%1&apos; is larger than 4 KiB; a password file holds one line. Nothing was run.</source>
        <translation>Файл пароля «%1» больше 4 КиБ, а файл пароля содержит одну строку. Ничего не запущено.</translation>
    </message>
    <message>
        <source>The first line of the password file &apos;%1&apos; is longer than 1,024 bytes, too long for a password. Nothing was run.</source>
        <translation>Первая строка файла пароля «%1» длиннее 1024 байт — слишком длинно для пароля. Ничего не запущено.</translation>
    </message>
    <message>
        <source>The mirror folder &apos;%1&apos; is a symbolic link that another user made: the mirror would delete whatever it leads to. Remove the link and run again. Nothing was changed.</source>
        <translation>Папка зеркала «%1» — символическая ссылка, созданная другим пользователем: зеркалирование удалило бы всё, на что она указывает. Удалите ссылку и запустите снова. Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="511"/>
        <source>&apos;%1&apos; was refused: its path leads out of the restored folder, or through a link or file of the backup</source>
        <translation>«%1» отклонён: его путь ведёт за пределы восстанавливаемой папки или через ссылку либо файл из копии</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="512"/>
        <source>&apos;%1&apos; could not be written</source>
        <translation>не удалось записать «%1»</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="513"/>
        <source>its name in the archive cannot be told for sure</source>
        <translation>его имя в архиве нельзя определить точно</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="514"/>
        <source>(and %1 more)</source>
        <translation>(и ещё %1)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="515"/>
        <source>%1 (refused: unsafe path)</source>
        <translation>%1 (отклонён: небезопасный путь)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="516"/>
        <source>%1: the entry &apos;%2&apos; is refused: its path leads out of the restored folder, or through a link or file of the backup</source>
        <translation>%1: элемент «%2» отклонён: его путь ведёт за пределы восстанавливаемой папки или через ссылку либо файл из копии</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="523"/>
        <source>7-Zip could not read where it points</source>
        <translation>7-Zip не смог прочитать, куда она указывает</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="512"/>
        <source>the destination folder &apos;%1&apos; is the source folder or lies inside it: every run would pack the archives made before. Choose a destination outside the source. Nothing was changed.</source>
        <translation>папка назначения «%1» совпадает с исходной папкой или лежит внутри неё: каждый запуск упаковывал бы сделанные раньше архивы. Выберите папку назначения вне исходной. Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="517"/>
        <source>The off-site folder %1 is the source folder or lies inside it on this same computer: every run would pack the copies made before. Nothing was copied.</source>
        <translation>Папка внешней копии %1 совпадает с исходной папкой на этом же компьютере или лежит внутри неё: каждый запуск упаковывал бы сделанные раньше копии. Ничего не скопировано.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="522"/>
        <source>The copy of %1 at %2 is damaged and could not be replaced with a good one: it still differs after a new copy.</source>
        <translation>Копия %1 в %2 повреждена, и заменить её исправной не удалось: она отличается и после нового копирования.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="527"/>
        <source>The copy of %1 at %2 is damaged, and the file here (%3) changed since it was copied, so it cannot repair it. Run a verification of the set.</source>
        <translation>Копия %1 в %2 повреждена, а файл здесь (%3) изменился после копирования, поэтому исправить её им нельзя. Запустите проверку набора.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="532"/>
        <source>The copy of %1 at %2 is damaged: it differs from the archive that was copied there.</source>
        <translation>Копия %1 в %2 повреждена: она отличается от архива, который был туда скопирован.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="512"/>
        <source>the full archive &apos;%1&apos; could not be tested (%2), so it is not known whether its chain can be extended. Nothing was changed.</source>
        <translation>не удалось проверить полный архив «%1» (%2), поэтому неизвестно, можно ли продолжить его цепочку. Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="516"/>
        <source>The previous chain was kept in &apos;%1&apos;.</source>
        <translation>Предыдущая цепочка сохранена в «%1».</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="518"/>
        <source>these pipes, sockets and devices cannot be stored in a zip archive and were left out (%1): %2</source>
        <translation>эти каналы, сокеты и устройства нельзя сохранить в архиве zip, они пропущены (%1): %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="521"/>
        <source>these files changed while 7-Zip read them and may be stored incomplete (%1): %2</source>
        <translation>эти файлы изменились, пока 7-Zip их читал, и могли сохраниться не полностью (%1): %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="524"/>
        <source>the pipe, socket or device &apos;%1&apos; in &apos;%2&apos; cannot be stored in a zip archive, and 7-Zip would take the &apos;*&apos; or &apos;?&apos; in its name for a wildcard and leave other files out with it. Rename or remove it, or exclude its folder. Nothing was changed.</source>
        <translation>канал, сокет или устройство «%1» в «%2» нельзя сохранить в архиве zip, а 7-Zip принял бы «*» или «?» в его имени за шаблон и пропустил бы вместе с ним другие файлы. Переименуйте или удалите его либо исключите его папку. Ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="531"/>
        <source>%1 ended with exit code %2 after it had begun to change the mirror folder &apos;%3&apos;: the files it copied there are new, the others are as they were before the run.</source>
        <translation>%1 завершился с кодом %2, уже начав изменять папку зеркала «%3»: скопированные в неё файлы новые, остальные такие же, как до запуска.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="535"/>
        <source>%1 was ended by signal %2 and may already have changed the mirror folder &apos;%3&apos;: the files it copied there are new, the others are as they were before the run.</source>
        <translation>%1 был завершён сигналом %2 и, возможно, уже изменил папку зеркала «%3»: скопированные в неё файлы новые, остальные такие же, как до запуска.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="539"/>
        <source>the run was stopped, and rsync may already have changed the mirror folder &apos;%1&apos;: the files it copied there are new, the others are as they were before the run.</source>
        <translation>запуск остановлен, и rsync, возможно, уже изменил папку зеркала «%1»: скопированные в неё файлы новые, остальные такие же, как до запуска.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="543"/>
        <source>the run took longer than its time limit of %1 seconds and was stopped, and rsync may already have changed the mirror folder &apos;%2&apos;: the files it copied there are new, the others are as they were before the run.</source>
        <translation>запуск превысил ограничение времени в %1 с и был остановлен, и rsync, возможно, уже изменил папку зеркала «%2»: скопированные в неё файлы новые, остальные такие же, как до запуска.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="548"/>
        <source>rsync could not copy these files, which vanished or could not be read (%1): %2</source>
        <translation>rsync не смог скопировать эти файлы: они исчезли или не читаются (%1): %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="551"/>
        <source>rsync could not copy some files (exit code %1); it copied all the others</source>
        <translation>rsync не смог скопировать некоторые файлы (код %1); все остальные скопированы</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="632"/>
        <source>Delete every backup of &apos;%1&apos;? This cannot be undone.</source>
        <translation>Удалить все резервные копии набора «%1»? Отменить это будет нельзя.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="636"/>
        <source>All %1 restore points, from %2 to %3, are deleted with the full archive &apos;%4&apos; and its %5 update archives (%6 in all).</source>
        <translation>Удаляются все точки восстановления (%1), с %2 по %3, вместе с полным архивом «%4» и его архивами обновлений (%5), всего %6.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="641"/>
        <source>Its only restore point, of %1, is deleted with the full archive &apos;%2&apos; (%3 in all).</source>
        <translation>Его единственная точка восстановления, от %1, удаляется вместе с полным архивом «%2» (всего %3).</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="645"/>
        <source>There is no full archive of this set in &apos;%1&apos;. Its %2 update archives (%3 in all) restore nothing without it and are deleted.</source>
        <translation>В «%1» нет полного архива этого набора. Без него его архивы обновлений (%2, всего %3) ничего не восстановят; они удаляются.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="649"/>
        <source>No restore point of this set will be left.</source>
        <translation>У набора не останется ни одной точки восстановления.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="651"/>
        <source>No restore point of this set will be left but those of the %2 older chains kept in &apos;%1&apos;, which Restore does not list; Restore from a Folder reaches them.</source>
        <translation>У набора не останется точек восстановления, кроме точек старых цепочек (%2), сохранённых в «%1»: «Восстановить» их не показывает, до них можно добраться через «Восстановить из папки».</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="656"/>
        <source>Set the destination of all %1 sets to &apos;%2&apos;?</source>
        <translation>Сделать «%2» папкой назначения всех наборов (%1)?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="658"/>
        <source>Set the destination of the only set to &apos;%1&apos;?</source>
        <translation>Сделать «%1» папкой назначения единственного набора?</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="661"/>
        <source>These sets then back up there; the archives they made so far stay where they are, and Restore from a Folder still reaches them:</source>
        <translation>Эти наборы будут копироваться туда; уже созданные ими архивы остаются на своих местах, до них можно добраться через «Восстановить из папки»:</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="665"/>
        <source>and %1 more</source>
        <translation>и ещё %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="666"/>
        <source>Nothing changes until you close Options with OK.</source>
        <translation>Ничего не изменится, пока вы не закроете «Параметры» кнопкой ОК.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="668"/>
        <source>The default backup location is empty, so no set could back up there. Please choose a folder first.</source>
        <translation>Папка для копий по умолчанию не задана, и наборам некуда было бы копировать. Сначала выберите папку.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="671"/>
        <source>The default backup location &apos;%1&apos; is not a full path (one starting with &apos;/&apos;). Please choose a folder.</source>
        <translation>Папка для копий по умолчанию «%1» задана не полным путём (он начинается с «/»). Выберите папку.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="674"/>
        <source>The default backup location &apos;%1&apos; is not a folder that exists now (is its disk plugged in?). Please choose a folder that is there.</source>
        <translation>Папки для копий по умолчанию «%1» сейчас нет (подключён ли её диск?). Выберите существующую папку.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="678"/>
        <source>There is no backup set to change.</source>
        <translation>Нет ни одного набора, который можно изменить.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="679"/>
        <source>Every set already backs up to &apos;%1&apos;.</source>
        <translation>Все наборы уже копируются в «%1».</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="680"/>
        <source>Incremental copies to keep must be 0 or more (0: every run makes a new full archive).</source>
        <translation>Число инкрементных копий должно быть 0 или больше (0 — каждый запуск создаёт новый полный архив).</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="684"/>
        <source>The settings file &apos;%1&apos; holds %2=%3, which is not allowed; %4 is used instead.</source>
        <translation>В файле настроек «%1» записано недопустимое %2=%3; вместо него используется %4.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="639"/>
        <source>scheduled runs cannot get its password: the keyring is locked</source>
        <translation>запуски по расписанию не могут получить пароль набора: связка ключей заблокирована</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="639"/>
        <source>scheduled runs cannot get its password: no keyring answers on this computer</source>
        <translation>запуски по расписанию не могут получить пароль набора: на этом компьютере не отвечает ни одна связка ключей</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="639"/>
        <source>scheduled runs cannot get its password: the keyring holds none for it</source>
        <translation>запуски по расписанию не могут получить пароль набора: в связке ключей его нет</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="646"/>
        <source>scheduled runs cannot use its password file: %1</source>
        <translation>запуски по расписанию не могут взять пароль из его файла: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="650"/>
        <source>Every scheduled run of these encrypted sets will fail, as it cannot get the set&apos;s password:

%1

What works: unlock the keyring (or install one, such as GNOME Keyring or KWallet) and keep it unlocked while you are logged in; or, in the set&apos;s properties, give a password file for its scheduled runs: a file of your own that only you can read (chmod 600), with the password on its first line.</source>
        <translation>Каждый запуск этих зашифрованных наборов по расписанию завершится ошибкой: он не может получить пароль набора:

%1

Что поможет: разблокируйте связку ключей (или установите её, например GNOME Keyring или KWallet) и держите её разблокированной, пока вы в системе; или укажите в свойствах набора файл пароля для запусков по расписанию: ваш собственный файл, который можете читать только вы (chmod 600), с паролем в первой строке.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="656"/>
        <source>Give the password file with its full path, starting with &apos;/&apos;: a scheduled run does not start in this folder.</source>
        <translation>Укажите полный путь к файлу пароля, начиная с «/»: запуск по расписанию начинается не в этой папке.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="660"/>
        <source>A scheduled run would refuse this password file and back up nothing:
%1</source>
        <translation>Запуск по расписанию отклонит этот файл пароля и ничего не сохранит:
%1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="663"/>
        <source>The password file holds another password than the one typed here: scheduled runs would make archives that this password does not open. Put the same password in both.</source>
        <translation>В файле пароля другой пароль, чем введённый здесь: запуски по расписанию создали бы архивы, которые этот пароль не открывает. Укажите в обоих один и тот же пароль.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="668"/>
        <source>A new password starts a new chain at the next run; the archives made so far then move to &apos;%1&apos;, restorable with the old password. Nothing is deleted.</source>
        <translation>Новый пароль начнёт новую цепочку при следующем запуске; уже созданные архивы переместятся в «%1» и откроются старым паролем. Ничего не удаляется.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="672"/>
        <source>Encryption starts a new chain at the next run; the archives made so far then move, unencrypted, to &apos;%1&apos;. Nothing is deleted.</source>
        <translation>Шифрование начнёт новую цепочку при следующем запуске; уже созданные архивы переместятся незашифрованными в «%1». Ничего не удаляется.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="676"/>
        <source>Without encryption the next run starts a new chain; the archives made so far then move to &apos;%1&apos;, restorable with the old password. Nothing is deleted.</source>
        <translation>Без шифрования следующий запуск начнёт новую цепочку; уже созданные архивы переместятся в «%1» и откроются старым паролем. Ничего не удаляется.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="640"/>
        <source>A backup is running. Stop it? What it has written so far is removed; backups made before are not touched.</source>
        <translation>Идёт резервное копирование. Остановить его? Записанное до сих пор будет удалено; сделанные ранее копии не изменятся.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="640"/>
        <source>A verification is running. Stop it? It changes no archive.</source>
        <translation>Идёт проверка. Остановить её? Проверка не изменяет архивы.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="640"/>
        <source>A restore is running. Stop it? What it has restored so far is removed; the folder &apos;%1&apos; is left as it was.</source>
        <translation>Идёт восстановление. Остановить его? Восстановленное до сих пор будет удалено; папка «%1» останется как была.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="640"/>
        <source>The archives are being fetched from the off-site copy. Stop? Nothing here is changed.</source>
        <translation>Архивы загружаются из внешней копии. Остановить? Здесь ничего не изменится.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="640"/>
        <source>the run was stopped. What it had written was removed.</source>
        <translation>запуск был остановлен. Записанное им удалено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="640"/>
        <source>the run took longer than its time limit of %1 seconds and was stopped. What it had written was removed.</source>
        <translation>запуск длился дольше отведённого ему времени (%1 с) и был остановлен. Записанное им удалено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="640"/>
        <source>The backup set &apos;%1&apos; was stopped: %2</source>
        <translation>Набор «%1» остановлен: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="640"/>
        <source>These backup sets were stopped:
%1</source>
        <translation>Эти наборы остановлены:
%1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="640"/>
        <source>Not accepted: %1. Type it again, or Cancel.</source>
        <translation>Не подошёл: %1. Введите его ещё раз или нажмите «Отмена».</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="640"/>
        <source>A verification is running. Stop it and close Velmora? It changes no archive.</source>
        <translation>Идёт проверка. Остановить её и закрыть Velmora? Проверка не изменяет архивы.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="638"/>
        <source>&apos;%1&apos; could not be moved to the trash (%2)</source>
        <translation>«%1» не удалось переместить в корзину (%2)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="641"/>
        <source>the restored files could not be moved to &apos;%1&apos;: %2. Not all of what the restore had moved to the trash could be put back; these are still in the trash, from where you can restore them: %3</source>
        <translation>восстановленные файлы не удалось переместить в «%1»: %2. Не всё, что восстановление переместило в корзину, удалось вернуть; эти файлы остались в корзине, откуда их можно восстановить: %3</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="644"/>
        <source>What the restore replaced or removed (%1 files and folders) is in the trash.</source>
        <translation>Всё, что восстановление заменило или убрало (файлов и папок: %1), находится в корзине.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="647"/>
        <source>Restore over the files in &apos;%1&apos; as of %2?

Replaced by the backup&apos;s version: %3
The same size and time as in the backup, left as they are unless their content differs: %4
Added: %5
Not in the backup: %6 (they stay unless you tick the box below)
Outside your choice, left as they are: %7

Every file replaced or removed goes to the trash, from where it can be put back.</source>
        <translation>Восстановить поверх файлов в «%1» на %2?

Будут заменены версией из копии: %3
Того же размера и времени, что в копии, останутся как есть, если не отличается содержимое: %4
Будут добавлены: %5
Нет в копии: %6 (останутся, если не отметить флажок ниже)
Вне выбранного, останутся как есть: %7

Каждый заменённый или убранный файл попадёт в корзину, откуда его можно вернуть.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="649"/>
        <source>Files moved to the trash and replaced:</source>
        <translation>Файлы, которые будут перемещены в корзину и заменены:</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="651"/>
        <source>Files not in the backup:</source>
        <translation>Файлы, которых нет в копии:</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="654"/>
        <source>and %1 more (Show all lists them)</source>
        <translation>и ещё %1 (кнопка «Показать все» покажет их)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="657"/>
        <source>Also move the %1 files that are not in the backup to the trash</source>
        <translation>Также переместить в корзину файлы, которых нет в копии (%1)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="660"/>
        <source>Restored over &apos;%1&apos; as of %2. Files replaced: %3, added: %4, moved to the trash as not in the backup: %5.</source>
        <translation>Восстановлено поверх «%1» на %2. Файлов заменено: %3, добавлено: %4, перемещено в корзину как отсутствующих в копии: %5.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="668"/>
        <source>the trash folder &apos;%1&apos; cannot be used (%2), so nothing could go there</source>
        <translation>папкой корзины «%1» нельзя воспользоваться (%2), поэтому туда ничего не удалось переместить</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="670"/>
        <source>Show all</source>
        <translation>Показать все</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="794"/>
        <source>Keeps restore points, roughly: %1.</source>
        <translation>Хранятся точки восстановления, примерно: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="797"/>
        <source>Keeps the versions of files that runs replaced or deleted, roughly: %1.</source>
        <translation>Хранятся версии файлов, заменённых или удалённых при запусках, примерно: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="799"/>
        <source>Every rule is off: only the newest restore point is kept.</source>
        <translation>Все правила выключены: хранится только самая новая точка восстановления.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="801"/>
        <source>Every rule is off: only the versions the last run replaced are kept.</source>
        <translation>Все правила выключены: хранятся только версии, заменённые последним запуском.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="803"/>
        <source>the last %1</source>
        <translation>последние %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="805"/>
        <source>one an hour for %1 h</source>
        <translation>по одной в час за %1 ч</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="806"/>
        <source>one a day for %1 d</source>
        <translation>по одной в день за %1 дн.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="807"/>
        <source>one a week for %1 wk</source>
        <translation>по одной в неделю за %1 нед.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="808"/>
        <source>one a month for %1 mo</source>
        <translation>по одной в месяц за %1 мес.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="809"/>
        <source>one a year for %1 yr</source>
        <translation>по одной в год за %1 г.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="811"/>
        <source>%1 and %2</source>
        <translation>%1 и %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="813"/>
        <source>newest</source>
        <translation>самая новая</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="814"/>
        <source>kept for ever</source>
        <translation>хранится всегда</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="815"/>
        <source>last</source>
        <translation>последняя</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="816"/>
        <source>hourly</source>
        <translation>почасовая</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="817"/>
        <source>daily</source>
        <translation>ежедневная</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="818"/>
        <source>weekly</source>
        <translation>еженедельная</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="819"/>
        <source>monthly</source>
        <translation>ежемесячная</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="820"/>
        <source>yearly</source>
        <translation>ежегодная</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="822"/>
        <source>its chain needs it</source>
        <translation>нужна своей цепочке</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="823"/>
        <source>no rule keeps it</source>
        <translation>не нужна ни одному правилу</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="825"/>
        <source>Restore points: %1, the oldest from %2</source>
        <translation>Точек восстановления: %1, самая старая от %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="826"/>
        <source>Restore points: none in the destination</source>
        <translation>Точек восстановления в папке назначения нет</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="827"/>
        <source>Kept versions: %1, the oldest from %2</source>
        <translation>Сохранённых версий: %1, самая старая от %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="828"/>
        <source>Kept versions: none yet</source>
        <translation>Сохранённых версий пока нет</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="831"/>
        <source>The set's file '%1' could not be written; the point is kept as before.</source>
        <translation>Не удалось записать файл набора «%1»; точка хранится как прежде.</translation>
    </message>
    <message>
        <source>%1 old restore points could not be removed and were kept: %2</source>
        <translation>Не удалось удалить старые точки восстановления (%1), они сохранены: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="796"/>
        <source> The oldest restore points, which you could remove to make room: %1.</source>
        <translation> Самые старые точки восстановления, удалив которые можно освободить место: %1.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="793"/>
        <source>&apos;%1&apos; is a link or a file, not the folder that keeps the mirror&apos;s earlier versions: nothing was changed, so that no replaced file goes elsewhere.</source>
        <translation>«%1» — ссылка или файл, а не папка, в которой хранятся прежние версии зеркала: ничего не изменено, чтобы заменённые файлы не попали в другое место.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="797"/>
        <source>the folder &apos;%1&apos; for the files this run replaces could not be made (%2): nothing was changed.</source>
        <translation>не удалось создать папку «%1» для файлов, которые заменяет этот запуск (%2): ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="793"/>
        <source>%1: the restore points kept in &apos;%2&apos; do not open with the password given (%3); give the password they were made with in a further --password-file.</source>
        <translation>%1: точки восстановления, сохранённые в «%2», не открываются с указанным паролем (%3); укажите пароль, с которым они были созданы, в ещё одном --password-file.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="794"/>
        <source>The backups from %1 were made with another password than the set&apos;s now.</source>
        <translation>Копии от %1 созданы с другим паролем, чем у набора сейчас.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="795"/>
        <source>other password</source>
        <translation>др. пароль</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="796"/>
        <source>unreadable</source>
        <translation>не читается</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="801"/>
        <source>the backups changed since the restore points were read: &apos;%1&apos; is another archive now. Read the points again.</source>
        <translation>копии изменились после того, как были прочитаны точки восстановления: «%1» теперь другой архив. Прочитайте точки заново.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="856"/>
        <source>there are no backup sets.</source>
        <translation>наборов резервного копирования нет.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="857"/>
        <source>no backup set is named %1; nothing was run. velmora-run --list shows the sets.</source>
        <translation>нет набора резервного копирования с именем %1; ничего не запущено. velmora-run --list показывает наборы.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="858"/>
        <source>velmora-run --help shows how to use it.</source>
        <translation>velmora-run --help объясняет, как им пользоваться.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="859"/>
        <source>Usage: velmora-run --list
       velmora-run --version | --help
       velmora-run --install-schedules
       velmora-run [--dry-run] [--no-wait] [--allow-empty-source] NAME...
       velmora-run [--dry-run] [--no-wait] [--allow-empty-source] --all
       velmora-run [--no-wait] --verify NAME...
       velmora-run [--no-wait] --verify --all
       velmora-run [--from-offsite] --points NAME
       velmora-run [--from-offsite] --restore NAME --to DIR [--as-of STAMP] [PATH...]
       velmora-run [--from-offsite] --restore NAME --to-original [--remove-others]
                   [--as-of STAMP] [PATH...]
       velmora-run [--from-offsite] --versions NAME PATH
       velmora-run --points-archive ARCHIVE
       velmora-run --restore-archive ARCHIVE --to DIR [--as-of STAMP] [PATH...]
       velmora-run --accept-destination NAME
       velmora-run [--no-notify] --check
       velmora-run [--dry-run] [--no-wait] --prune NAME... | --prune --all
       velmora-run --pin NAME STAMP | --unpin NAME STAMP
Each form that runs, tests or restores sets also takes --password-file FILE.

Runs Velmora&apos;s backup sets without the window, with the same settings and set files.

  --list      one line per set: name, backup type, source, destination, last run,
              schedule, next run (separated by tabs; the next run as systemd&apos;s timer
              has it, or from the schedule when systemd cannot say)
  --install-schedules
              write the systemd user timer of every scheduled set again from the set
              files (into ~/.config/systemd/user), remove those of sets no longer
              scheduled, and enable them; for a new computer or after moving the
              program. Without a systemd user instance it says so and prints the
              crontab lines that run the sets instead
  NAME...     run these sets, one after the other, each by its own backup type;
              letter case does not matter in names. A set with an off-site
              destination then copies its new archive there (a mirror set mirrors
              its source there)
  --all       run every set
  --dry-run   print each command as it would run and change nothing
  --no-wait   when another backup is running, do not wait for it: give up at once
  --allow-empty-source
              run a set whose source folder is empty; without it such a set fails,
              since a disk that is not mounted leaves an empty folder behind
  --accept-destination NAME
              take the disk now at the set&apos;s destination as its disk from now on;
              a set remembers the disk its destination was on at its first
              successful run and refuses to run when it is on another one
  --verify NAME..., --verify --all
              test every archive of these sets (the full archive and each update
              archive) with 7-Zip, one line per archive: its path and OK or what is
              wrong; a mirror set has no archive and is said to be so
  --check     one line per set that is overdue (its last success is older than its
              schedule allows, or than the days the options give a manual set) or
              whose last run failed: its name, why and since when; and one desktop
              notification of them
  --no-notify send no desktop notification: a run sends one when a set failed, was
              not made or ended with warnings, --check when it found any set
  --password-file FILE
              the first line of FILE is the password of every encrypted set the run
              touches, instead of each set&apos;s password in the system keyring; FILE
              must be your own regular file, not a link, with no permission for
              its group or others (chmod 600), or nothing is run. Without it an
              encrypted set whose password the keyring cannot give fails and is
              named in the notification; it is never run unencrypted.
              With --points, --versions and --restore (and their -archive forms) it
              may be given again: each further FILE holds an earlier password,
              tried on a chain kept from before the set&apos;s password changed
  --prune NAME..., --prune --all
              thin each set&apos;s history by its retention policy: one line per point,
              STAMP, kept or removed, and why (newest, pinned, last, hourly, daily,
              weekly, monthly, yearly, chain; policy for a point that goes), separated
              by tabs, after a line &quot;== NAME&quot; for each set when there are several.
              With --dry-run nothing is removed. A run thins its set by itself after
              a new point that tested good
  --pin NAME STAMP, --unpin NAME STAMP
              keep the point of that stamp for ever, whatever the policy, or no
              longer; STAMP as --points shows it
  -h, --help  show this text
  --version   print the version

Restoring:
  --points NAME
              one line per restore point of the set, newest first:
              STAMP, full, update or mirror, size in bytes, number of files, archive
              (separated by tabs; STAMP as 2026-12-07_14h03m59s)
  --restore NAME --to DIR
              rebuild the set&apos;s source as of its newest point into DIR, which must
              not exist or be empty; PATH... (relative to the source) restores only
              those files and folders
  --restore NAME --to-original
              put the files of the set&apos;s source (or of PATH...) back as they were
              at the point, in the source itself; folders are merged file by file.
              Every file it replaces goes to the desktop&apos;s trash (with its path, so
              it can be put back); files that are not in the backup stay where
              they are. When a file cannot go to the trash the restore fails and
              puts back what it had changed; nothing is deleted
  --remove-others
              with --to-original: also move the files of PATH... (or of the whole
              source) that the point does not hold to the trash
  --as-of STAMP
              restore the newest point at or before STAMP, a point&apos;s stamp or a
              date (2026-12-07: the end of that day)
  --versions NAME PATH
              one line per point where the file changed: STAMP, size in bytes and
              modification time (local), or STAMP and &quot;deleted&quot;
  --points-archive ARCHIVE, --restore-archive ARCHIVE
              the same from a full archive&apos;s path, with its update archives beside
              it, when there is no set file (a new computer)
  --from-offsite
              read the set&apos;s archives from its off-site destination instead of its
              destination folder (when the local disk is gone): they are fetched
              into a temporary folder, used, and removed

One backup runs at a time across Velmora and velmora-run; a run waits for the one
before it unless --no-wait is given. A successful set gets today&apos;s date as its last run.
Each set is read from its file just before it runs; a set deleted meanwhile is not run.

Exit status: 0 when every set succeeded, 1 when any set failed or could not run
(also when --no-wait gave up), 2 for a usage error, an unknown set name or a password
file refused (then nothing is run), 3 when every set was done but with warnings: 7-Zip
could not read some files (the summary line names them), files vanished while rsync
copied them, or the backup was made here and its off-site copy failed.
A dry run makes every check a run makes and ends with the same status.
A restore, --points and --versions end with 0 on success, 1 when they failed (a
failed or stopped restore leaves DIR as it was, and refuses a DIR with content; one
over the source puts back what it had moved to the trash), 2 for a usage error or an
unknown set name, 3 when the restore was done but some entries could not be written.
--accept-destination ends with 0 when the disk was recorded, 1 when it could not
be (the destination folder is missing or cannot be written), 2 for a usage error or
an unknown set name.
--verify ends with 0 when every archive tested good, 1 when any did not or could not
be tested, 2 for a usage error or an unknown set name.
--check ends with 0 when no set is overdue or failed, 1 when any is.
--list ends with 0. --install-schedules ends with 0 when systemd took up every timer, 1
when a file could not be written or removed, systemctl failed, or there is no systemd
user instance, 2 for a usage error.
</source>
        <translation>Использование: velmora-run --list
       velmora-run --version | --help
       velmora-run --install-schedules
       velmora-run [--dry-run] [--no-wait] [--allow-empty-source] NAME...
       velmora-run [--dry-run] [--no-wait] [--allow-empty-source] --all
       velmora-run [--no-wait] --verify NAME...
       velmora-run [--no-wait] --verify --all
       velmora-run [--from-offsite] --points NAME
       velmora-run [--from-offsite] --restore NAME --to DIR [--as-of STAMP] [PATH...]
       velmora-run [--from-offsite] --restore NAME --to-original [--remove-others]
                   [--as-of STAMP] [PATH...]
       velmora-run [--from-offsite] --versions NAME PATH
       velmora-run --points-archive ARCHIVE
       velmora-run --restore-archive ARCHIVE --to DIR [--as-of STAMP] [PATH...]
       velmora-run --accept-destination NAME
       velmora-run [--no-notify] --check
       velmora-run [--dry-run] [--no-wait] --prune NAME... | --prune --all
       velmora-run --pin NAME STAMP | --unpin NAME STAMP
Каждая форма, которая запускает, проверяет или восстанавливает наборы, принимает и --password-file FILE.

Запускает наборы резервного копирования Velmora без окна, с теми же настройками и файлами наборов.

  --list      по строке на набор: имя, тип копирования, источник, назначение, последний запуск,
              расписание, следующий запуск (через табуляцию; следующий запуск — как его знает
              таймер systemd, или по расписанию, когда systemd не может сказать)
  --install-schedules
              заново записать пользовательский таймер systemd каждого набора по расписанию из
              файлов наборов (в ~/.config/systemd/user), удалить таймеры наборов, которые больше
              не запускаются по расписанию, и включить их; для нового компьютера или после
              переноса программы. Без пользовательского экземпляра systemd сообщает об этом и
              выводит строки crontab, которые запускают наборы вместо него
  NAME...     запустить эти наборы один за другим, каждый по его типу копирования; регистр
              букв в именах не важен. Набор с местом назначения вне компьютера затем копирует
              туда свой новый архив (зеркальный набор зеркалирует туда свой источник)
  --all       запустить все наборы
  --dry-run   вывести каждую команду так, как она была бы выполнена, и ничего не менять
  --no-wait   когда идёт другое резервное копирование, не ждать его, а сразу отказаться
  --allow-empty-source
              запустить набор с пустой папкой-источником; без этого такой набор завершается
              ошибкой, так как не подключённый диск оставляет после себя пустую папку
  --accept-destination NAME
              считать диск, который сейчас находится в месте назначения набора, его диском;
              набор запоминает диск своего места назначения при первом успешном запуске и
              отказывается запускаться, когда оно оказывается на другом диске
  --verify NAME..., --verify --all
              проверить 7-Zip каждый архив этих наборов (полный архив и каждый архив
              обновлений), по строке на архив: его путь и OK или что с ним не так; у зеркального
              набора архивов нет, и об этом сообщается
  --check     по строке на каждый набор, который просрочен (его последний успех старше, чем
              позволяет расписание или число дней, заданное в параметрах для ручного набора),
              или последний запуск которого завершился ошибкой: имя, причина и с какого
              времени; и одно уведомление на рабочий стол о них
  --no-notify не отправлять уведомление на рабочий стол: запуск отправляет его, когда набор
              завершился ошибкой, не был выполнен или выполнен с предупреждениями, --check —
              когда нашёл хоть один такой набор
  --password-file FILE
              первая строка FILE — пароль каждого зашифрованного набора, которого касается
              запуск, вместо пароля набора в системной связке ключей; FILE должен быть вашим
              собственным обычным файлом, не ссылкой, без прав для группы и остальных
              (chmod 600), иначе ничего не запускается. Без него зашифрованный набор, пароль
              которого связка ключей не может дать, завершается ошибкой и называется в
              уведомлении; незашифрованным он не запускается никогда.
              С --points, --versions и --restore (и их формами -archive) его можно указать
              ещё раз: каждый следующий FILE содержит прежний пароль, который пробуется на
              цепочке, сохранённой до смены пароля набора
  --prune NAME..., --prune --all
              проредить историю каждого набора по его правилу хранения: по строке на точку —
              STAMP, kept или removed и почему (newest, pinned, last, hourly, daily, weekly,
              monthly, yearly, chain; policy для удаляемой точки) через табуляцию, после строки
              &quot;== NAME&quot; для каждого набора, когда их несколько. С --dry-run ничего не
              удаляется. Запуск сам прореживает свой набор после новой точки, прошедшей проверку
  --pin NAME STAMP, --unpin NAME STAMP
              хранить точку с этой меткой всегда, независимо от правила, или перестать;
              STAMP — как его показывает --points
  -h, --help  показать этот текст
  --version   вывести версию

Восстановление:
  --points NAME
              по строке на точку восстановления набора, от новых к старым:
              STAMP, full, update или mirror, размер в байтах, число файлов, архив
              (через табуляцию; STAMP вида 2026-12-07_14h03m59s)
  --restore NAME --to DIR
              воссоздать источник набора на момент его последней точки в DIR, который не должен
              существовать или должен быть пуст; PATH... (относительно источника) восстанавливает
              только эти файлы и папки
  --restore NAME --to-original
              вернуть файлы источника набора (или PATH...) такими, какими они были в точке,
              в сам источник; папки объединяются файл за файлом. Каждый заменяемый файл
              попадает в корзину рабочего стола (со своим путём, чтобы его можно было вернуть);
              файлы, которых нет в копии, остаются на месте. Когда файл не удаётся поместить
              в корзину, восстановление завершается ошибкой и возвращает то, что успело
              изменить; ничего не удаляется
  --remove-others
              с --to-original: также переместить в корзину файлы PATH... (или всего источника),
              которых нет в точке
  --as-of STAMP
              восстановить последнюю точку не позже STAMP — метки точки или даты
              (2026-12-07: конец этого дня)
  --versions NAME PATH
              по строке на каждую точку, где файл изменился: STAMP, размер в байтах и время
              изменения (местное), или STAMP и &quot;deleted&quot;
  --points-archive ARCHIVE, --restore-archive ARCHIVE
              то же по пути полного архива, с его архивами обновлений рядом, когда файла
              набора нет (новый компьютер)
  --from-offsite
              читать архивы набора из его места назначения вне компьютера, а не из папки
              назначения (когда локального диска больше нет): они загружаются во временную
              папку, используются и удаляются

Одновременно выполняется одно резервное копирование во всех Velmora и velmora-run; запуск ждёт
предыдущего, если не указан --no-wait. Успешный набор получает сегодняшнюю дату как последний
запуск. Каждый набор читается из своего файла непосредственно перед запуском; набор, удалённый
тем временем, не запускается.

Код завершения: 0, когда все наборы выполнены успешно, 1, когда какой-либо набор завершился
ошибкой или не смог запуститься (также когда --no-wait отказался ждать), 2 при ошибке
использования, неизвестном имени набора или отклонённом файле пароля (тогда ничего не
запускается), 3, когда все наборы выполнены, но с предупреждениями: 7-Zip не смог прочитать
некоторые файлы (итоговая строка их называет), файлы исчезли, пока rsync их копировал, или
копия сделана здесь, а её копирование вне компьютера не удалось.
Пробный запуск делает все проверки настоящего запуска и завершается с тем же кодом.
Восстановление, --points и --versions завершаются с 0 при успехе, 1 при ошибке (неудачное или
остановленное восстановление оставляет DIR как был и отказывается от непустого DIR;
восстановление поверх источника возвращает то, что переместило в корзину), 2 при ошибке
использования или неизвестном имени набора, 3, когда восстановление выполнено, но некоторые
элементы не удалось записать.
--accept-destination завершается с 0, когда диск записан, 1, когда это не удалось (папки
назначения нет или в неё нельзя писать), 2 при ошибке использования или неизвестном имени
набора.
--verify завершается с 0, когда все архивы прошли проверку, 1, когда какой-либо не прошёл или
не мог быть проверен, 2 при ошибке использования или неизвестном имени набора.
--check завершается с 0, когда ни один набор не просрочен и не завершился ошибкой, 1, когда
такой есть.
--list завершается с 0. --install-schedules завершается с 0, когда systemd принял все
таймеры, 1, когда файл не удалось записать или удалить, systemctl завершился ошибкой или нет
пользовательского экземпляра systemd, 2 при ошибке использования.
</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="993"/>
        <source>--password-file needs a file.</source>
        <translation>--password-file требует файл.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="994"/>
        <source>--password-file goes with running, verifying and restoring sets; not with --list, --check, --install-schedules or --accept-destination.</source>
        <translation>--password-file используется при запуске, проверке и восстановлении наборов; не с --list, --check, --install-schedules или --accept-destination.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="995"/>
        <source>--from-offsite goes with --restore, --points or --versions of a set.</source>
        <translation>--from-offsite используется с --restore, --points или --versions набора.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="996"/>
        <source>--to-original and --remove-others go with --restore NAME.</source>
        <translation>--to-original и --remove-others используются с --restore NAME.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="997"/>
        <source>--remove-others goes with --to-original.</source>
        <translation>--remove-others используется с --to-original.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="998"/>
        <source>--check takes no set names and no other option than --no-notify.</source>
        <translation>--check не принимает имён наборов и других параметров, кроме --no-notify.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="999"/>
        <source>%1 takes nothing more.</source>
        <translation>%1 больше ничего не принимает.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1000"/>
        <source>--prune takes set names or --all, and --dry-run and --no-wait.</source>
        <translation>--prune принимает имена наборов или --all, а также --dry-run и --no-wait.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1001"/>
        <source>--pin and --unpin take a set name and a stamp: --pin NAME STAMP.</source>
        <translation>--pin и --unpin принимают имя набора и метку: --pin NAME STAMP.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1002"/>
        <source>%1 is given more than once.</source>
        <translation>%1 указан больше одного раза.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1003"/>
        <source>--verify takes set names or --all, and --no-wait; nothing else.</source>
        <translation>--verify принимает имена наборов или --all, а также --no-wait; больше ничего.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1004"/>
        <source>--verify --all tests every set; name no sets with it.</source>
        <translation>--verify --all проверяет все наборы; не указывайте с ним имена наборов.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1005"/>
        <source>--verify needs the sets to test, or --all.</source>
        <translation>--verify требует наборы для проверки или --all.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1006"/>
        <source>--to and --as-of go with --restore or --restore-archive.</source>
        <translation>--to и --as-of используются с --restore или --restore-archive.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1007"/>
        <source>%1 cannot go together.</source>
        <translation>%1 нельзя указывать вместе.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1008"/>
        <source>%1 takes none of --list, --all, --dry-run, --no-wait and --allow-empty-source.</source>
        <translation>%1 не принимает ни --list, ни --all, ни --dry-run, ни --no-wait, ни --allow-empty-source.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1009"/>
        <source>--accept-destination takes one set name and nothing more.</source>
        <translation>--accept-destination принимает одно имя набора и ничего больше.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1010"/>
        <source>%1 needs a name.</source>
        <translation>%1 требует имя.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1011"/>
        <source>--versions takes a set name and one path: --versions NAME PATH.</source>
        <translation>--versions принимает имя набора и один путь: --versions NAME PATH.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1012"/>
        <source>&apos;%1&apos; names no file inside the source.</source>
        <translation>«%1» не указывает ни на один файл внутри источника.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1013"/>
        <source>--to and --to-original cannot go together.</source>
        <translation>--to и --to-original нельзя указывать вместе.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1014"/>
        <source>%1 needs --to DIR, the folder to restore into.</source>
        <translation>%1 требует --to DIR — папку, в которую восстанавливать.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1015"/>
        <source>--to and --as-of are each given once.</source>
        <translation>--to и --as-of указываются не более одного раза каждый.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1016"/>
        <source>--as-of takes a point&apos;s stamp (2026-12-07_14h03m59s) or a date (2026-12-07), not &apos;%1&apos;.</source>
        <translation>--as-of принимает метку точки (2026-12-07_14h03m59s) или дату (2026-12-07), а не «%1».</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1017"/>
        <source>&apos;%1&apos; names nothing inside the source.</source>
        <translation>«%1» не указывает ни на что внутри источника.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1018"/>
        <source>--list takes no set names and no other options.</source>
        <translation>--list не принимает имён наборов и других параметров.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1019"/>
        <source>--all runs every set; name no sets with it.</source>
        <translation>--all запускает все наборы; не указывайте с ним имена наборов.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1020"/>
        <source>name the sets to run, or give --all or --list.</source>
        <translation>укажите наборы для запуска, либо --all или --list.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1021"/>
        <source>the list file holds: %1</source>
        <translation>файл списка содержит: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1022"/>
        <source>then the old chain moves into &apos;%1&apos;</source>
        <translation>затем старая цепочка перемещается в «%1»</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1023"/>
        <source>after creating the folder %1</source>
        <translation>после создания папки %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1024"/>
        <source>%1 of %2 sets done%3, %4 failed%5</source>
        <translation>выполнено наборов: %1 из %2%3, с ошибкой: %4%5</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1025"/>
        <source> (%1 with warnings)</source>
        <translation> (с предупреждениями: %1)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1026"/>
        <source>, %1 not run</source>
        <translation>, не запущено: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1027"/>
        <source>, %1 not copied off site</source>
        <translation>, не скопировано вне компьютера: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1028"/>
        <source>, stopped</source>
        <translation>, остановлено</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1029"/>
        <source>stopped before any set ran</source>
        <translation>остановлено до запуска первого набора</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1030"/>
        <source>, verify:</source>
        <translation>, проверка:</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1031"/>
        <source>, dry run:</source>
        <translation>, пробный запуск:</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1032"/>
        <source>waiting for another backup to finish%1</source>
        <translation>ожидание завершения другого резервного копирования%1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1033"/>
        <source>then copied off site to %1</source>
        <translation>затем копируется вне компьютера в %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1034"/>
        <source>no backup set is named &apos;%1&apos;; nothing was changed. velmora-run --list shows the sets.</source>
        <translation>нет набора резервного копирования с именем «%1»; ничего не изменено. velmora-run --list показывает наборы.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1035"/>
        <source>%1: the disk now at &apos;%2&apos; is the set&apos;s destination disk from now on</source>
        <translation>%1: диск, который сейчас в «%2», отныне считается диском назначения набора</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1036"/>
        <source>another backup is running%1; with --no-wait nothing was run.</source>
        <translation>идёт другое резервное копирование%1; с --no-wait ничего не запущено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1037"/>
        <source>another backup is running%1; with --no-wait nothing was tested.</source>
        <translation>идёт другое резервное копирование%1; с --no-wait ничего не проверено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1038"/>
        <source>no backup set is named &apos;%1&apos;. velmora-run --list shows the sets.</source>
        <translation>нет набора резервного копирования с именем «%1». velmora-run --list показывает наборы.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1039"/>
        <source>&apos;%1&apos; is not inside the source &apos;%2&apos;; give paths relative to it.</source>
        <translation>«%1» находится не внутри источника «%2»; укажите пути относительно него.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1040"/>
        <source>&apos;%1&apos; is not inside the source; give paths relative to it.</source>
        <translation>«%1» находится не внутри источника; укажите пути относительно него.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1041"/>
        <source>another backup is running; with --no-wait nothing was removed.</source>
        <translation>идёт другое резервное копирование; с --no-wait ничего не удалено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1042"/>
        <source>%1: not removed: %2</source>
        <translation>%1: не удалено: %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1043"/>
        <source>&apos;%1&apos; is no point&apos;s stamp (2026-12-07_14h03m59s); nothing was changed.</source>
        <translation>«%1» — не метка точки (2026-12-07_14h03m59s); ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1044"/>
        <source>the set &apos;%1&apos; has no point %2; nothing was changed. velmora-run --points %1 lists its points.</source>
        <translation>у набора «%1» нет точки %2; ничего не изменено. velmora-run --points %1 перечисляет его точки.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1045"/>
        <source>the set file of &apos;%1&apos; could not be written; nothing was changed.</source>
        <translation>не удалось записать файл набора «%1»; ничего не изменено.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1046"/>
        <source>%1: %2 is pinned</source>
        <translation>%1: точка %2 закреплена</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1047"/>
        <source>%1: %2 is no longer pinned</source>
        <translation>%1: точка %2 больше не закреплена</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1048"/>
        <source>(answered Cancel: velmora-run asks nobody)</source>
        <translation>(ответ «Отмена»: velmora-run никого не спрашивает)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1049"/>
        <source>(answered Yes: --allow-empty-source)</source>
        <translation>(ответ «Да»: --allow-empty-source)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1050"/>
        <source>(answered No: velmora-run asks nobody; --allow-empty-source answers Yes)</source>
        <translation>(ответ «Нет»: velmora-run никого не спрашивает; --allow-empty-source отвечает «Да»)</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1051"/>
        <source>off site</source>
        <translation>вне компьютера</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1052"/>
        <source>%1 of %2</source>
        <translation>%1 из %2</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1053"/>
        <source>%1 left</source>
        <translation>осталось %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1054"/>
        <source>no desktop notification: there is no session bus.</source>
        <translation>уведомление на рабочий стол не отправлено: нет сеансовой шины.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1055"/>
        <source>no desktop notification: the session bus at %1 cannot be reached.</source>
        <translation>уведомление на рабочий стол не отправлено: сеансовая шина по адресу %1 недоступна.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1056"/>
        <source>no desktop notification: %1</source>
        <translation>уведомление на рабочий стол не отправлено: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="1057"/>
        <source>the notification&apos;s click will not outlive this run: %1</source>
        <translation>щелчок по уведомлению не сработает после завершения этого запуска: %1</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="855"/>
        <source>[%1 bytes left out here.]</source>
        <translation>[здесь пропущено байт: %1.]</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="856"/>
        <source>the tool did not finish within %1 and was ended.</source>
        <translation>программа не завершилась за %1 и была остановлена.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="857"/>
        <source>the tool was stopped.</source>
        <translation>программа была остановлена.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="858"/>
        <source>the listing of &apos;%1&apos; is longer than %2; it was not read.</source>
        <translation>список содержимого «%1» длиннее %2; он не был прочитан.</translation>
    </message>
    <message>
        <location filename="../../core/StringTable.cpp" line="860"/>
        <source>Reading the restore points...</source>
        <translation>Чтение точек восстановления...</translation>
    </message>
</context>
</TS>
