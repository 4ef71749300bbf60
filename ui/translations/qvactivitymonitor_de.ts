<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>CommandLine</name>
    <message>
        <source>Follows the activity logs of the Quorvane mail server on this machine, as they are
written, in one window per component. It only ever reads.</source>
        <translation>Verfolgt die Aktivitätsprotokolle des Quorvane-Mailservers auf diesem Rechner, während sie
geschrieben werden, in einem Fenster je Komponente. Das Programm liest nur.</translation>
    </message>
    <message>
        <source>Displays this help.</source>
        <translation>Zeigt diese Hilfe an.</translation>
    </message>
    <message>
        <source>The Wine prefix the server runs in (default: $WINEPREFIX, or ~/.wine when that is unset).</source>
        <translation>Das Wine-Präfix, in dem der Server läuft (Vorgabe: $WINEPREFIX oder ~/.wine, wenn das nicht gesetzt ist).</translation>
    </message>
    <message>
        <source>dir</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Unexpected argument &apos;%1&apos;.</source>
        <translation>Unerwartetes Argument &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>--wine-prefix needs a folder.</source>
        <translation>--wine-prefix braucht einen Ordner.</translation>
    </message>
    <message>
        <source>Opens with Find in Logs&apos; results for the text: the lines of a day&apos;s logs that contain it, case aside.</source>
        <translation>Öffnet mit den Ergebnissen von „In Protokollen suchen“ für den Text: den Zeilen der Protokolle eines Tages, die ihn enthalten, ohne Beachtung der Groß-/Kleinschreibung.</translation>
    </message>
    <message>
        <source>text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>The day whose logs --find searches, as YYYY-MM-DD (default: today).</source>
        <translation>Der Tag, dessen Protokolle --find durchsucht, als JJJJ-MM-TT (Vorgabe: heute).</translation>
    </message>
    <message>
        <source>date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>--day goes with --find.</source>
        <translation>--day ist nur zusammen mit --find möglich.</translation>
    </message>
    <message>
        <source>--find needs a text.</source>
        <translation>--find braucht einen Text.</translation>
    </message>
    <message>
        <source>--day: &apos;%1&apos; is not a day as YYYY-MM-DD.</source>
        <translation>--day: &apos;%1&apos; ist kein Tag im Format JJJJ-MM-TT.</translation>
    </message>
    <message>
        <source>--%1 needs a text.</source>
        <translation>--%1 braucht einen Text.</translation>
    </message>
    <message>
        <source>--%1: the text is longer than %L2 characters.</source>
        <translation>--%1: Der Text ist länger als %L2 Zeichen.</translation>
    </message>
    <message>
        <source>Highlights the entries that contain the text, case aside, in a colour of its own (repeatable).</source>
        <translation>Hebt die Einträge, die den Text enthalten, ohne Beachtung der Groß-/Kleinschreibung in einer eigenen Farbe hervor (mehrfach möglich).</translation>
    </message>
    <message>
        <source>Highlights the entries that contain the text, and calls for attention when one arrives unseen (repeatable).</source>
        <translation>Hebt die Einträge hervor, die den Text enthalten, und macht aufmerksam, wenn einer unbemerkt eintrifft (mehrfach möglich).</translation>
    </message>
    <message>
        <source>The shortest time in seconds between two alerts for the same text (default: 60).</source>
        <translation>Der kürzeste Abstand in Sekunden zwischen zwei Alarmen für denselben Text (Vorgabe: 60).</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source>Beeps with each alert.</source>
        <translation>Gibt bei jedem Alarm einen Signalton aus.</translation>
    </message>
    <message>
        <source>--alert-quiet: &apos;%1&apos; is not a whole number of seconds from 0 to %L2.</source>
        <translation>--alert-quiet: &apos;%1&apos; ist keine ganze Zahl von Sekunden zwischen 0 und %L2.</translation>
    </message>
</context>
<context>
    <name>FilterBar</name>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>&amp;Filter:</source>
        <translation>F&amp;ilter:</translation>
    </message>
    <message>
        <source>Lists only the entries that contain this text, in every window</source>
        <translation>Zeigt in jedem Fenster nur die Einträge, die diesen Text enthalten</translation>
    </message>
</context>
<context>
    <name>FindDialog</name>
    <message>
        <source>Find in Logs</source>
        <translation>In Protokollen suchen</translation>
    </message>
    <message>
        <source>Components</source>
        <translation>Komponenten</translation>
    </message>
    <message>
        <source>Logs on this day</source>
        <translation>Protokolle an diesem Tag</translation>
    </message>
    <message>
        <source>Find &amp;what:</source>
        <translation>Suchen &amp;nach:</translation>
    </message>
    <message>
        <source>&amp;Day:</source>
        <translation>&amp;Tag:</translation>
    </message>
</context>
<context>
    <name>FindWindow</name>
    <message>
        <source>%1: %2 changed during the search: only what came before was searched</source>
        <translation>%1: %2 hat sich während der Suche geändert: nur der Inhalt davor wurde durchsucht</translation>
    </message>
    <message>
        <source>%1: not searched</source>
        <translation>%1: nicht durchsucht</translation>
    </message>
    <message>
        <source>%1: no log folder set in the server&apos;s settings</source>
        <translation>%1: kein Protokollordner in den Einstellungen des Servers</translation>
    </message>
    <message>
        <source>%1: log folder not found: %2</source>
        <translation>%1: Protokollordner nicht gefunden: %2</translation>
    </message>
    <message>
        <source>%1: no log on that day (%2)</source>
        <translation>%1: kein Protokoll an diesem Tag (%2)</translation>
    </message>
    <message>
        <source>%1: cannot read %2: access denied</source>
        <translation>%1: %2 kann nicht gelesen werden: Zugriff verweigert</translation>
    </message>
    <message>
        <source>%1: %2 is not a file</source>
        <translation>%1: %2 ist keine Datei</translation>
    </message>
    <message>
        <source>%1: cannot read %2</source>
        <translation>%1: %2 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>By &amp;Time</source>
        <translation>Nach &amp;Zeit</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Searching...</source>
        <translation>Suche läuft...</translation>
    </message>
    <message>
        <source>Find &quot;%1&quot; - %2</source>
        <translation>Suche nach „%1“ - %2</translation>
    </message>
    <message>
        <source>Lines found</source>
        <translation>Gefundene Zeilen</translation>
    </message>
    <message>
        <source>Search progress</source>
        <translation>Suchfortschritt</translation>
    </message>
    <message>
        <source>Searching... Lines found: %L1</source>
        <translation>Suche läuft... Gefundene Zeilen: %L1</translation>
    </message>
    <message>
        <source>Lines found: %L1</source>
        <translation>Gefundene Zeilen: %L1</translation>
    </message>
    <message>
        <source>Cancelled. %1</source>
        <translation>Abgebrochen. %1</translation>
    </message>
    <message>
        <source>Stopped at the list&apos;s limit of %L1 lines or %L2 MiB. %3</source>
        <translation>An der Obergrenze der Liste von %L1 Zeilen oder %L2 MiB beendet. %3</translation>
    </message>
    <message>
        <source>%1 (Detail)</source>
        <translation>%1 (Details)</translation>
    </message>
</context>
<context>
    <name>Highlights</name>
    <message>
        <source>Red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>Orange</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Violett</translation>
    </message>
    <message>
        <source>Teal</source>
        <translation>Blaugrün</translation>
    </message>
</context>
<context>
    <name>HighlightsDialog</name>
    <message>
        <source>A&amp;lert</source>
        <translation>&amp;Alarm</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <source>C&amp;hange</source>
        <translation>Ä&amp;ndern</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>Nach &amp;oben</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>Nach &amp;unten</translation>
    </message>
    <message>
        <source>Highlights</source>
        <translation>Hervorhebungen</translation>
    </message>
    <message>
        <source>Rules, the first that matches colours a line</source>
        <translation>Regeln; die erste, die zutrifft, färbt die Zeile</translation>
    </message>
    <message>
        <source>&amp;Text:</source>
        <translation>&amp;Text:</translation>
    </message>
    <message>
        <source>C&amp;olour:</source>
        <translation>&amp;Farbe:</translation>
    </message>
    <message>
        <source>%1 (alert)</source>
        <translation>%1 (Alarm)</translation>
    </message>
    <message>
        <source>Type the text to highlight.</source>
        <translation>Geben Sie den hervorzuhebenden Text ein.</translation>
    </message>
    <message>
        <source>Another rule already has this text.</source>
        <translation>Eine andere Regel hat bereits diesen Text.</translation>
    </message>
    <message>
        <source>The text is too long: at most %L1 characters.</source>
        <translation>Der Text ist zu lang: höchstens %L1 Zeichen.</translation>
    </message>
</context>
<context>
    <name>MDIMain</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Filter...</source>
        <translation>&amp;Filtern...</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Windows</source>
        <translation>&amp;Fenster</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Info</translation>
    </message>
    <message>
        <source>Quorvane Real Time Activity Monitor</source>
        <translation>Quorvane Real Time Activity Monitor</translation>
    </message>
    <message>
        <source>Quorvane Activity Monitor (Beta 1)</source>
        <translation>Quorvane Activity Monitor (Beta 1)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>A&amp;nsicht</translation>
    </message>
    <message>
        <source>&amp;Earlier Lines of Today</source>
        <translation>&amp;Frühere Zeilen von heute</translation>
    </message>
    <message>
        <source>Earlier Lines of Today in &amp;Every Window</source>
        <translation>Frühere Zeilen von heute in &amp;allen Fenstern</translation>
    </message>
    <message>
        <source>Find in &amp;Logs...</source>
        <translation>In Protokollen &amp;suchen...</translation>
    </message>
    <message>
        <source>%1 (%L2 new)</source>
        <translation>%1 (%L2 neu)</translation>
    </message>
    <message>
        <source>&amp;Highlights...</source>
        <translation>&amp;Hervorhebungen...</translation>
    </message>
</context>
<context>
    <name>StatusLabel</name>
    <message>
        <source>HKEY_LOCAL_MACHINE\%1, value &quot;%2&quot;</source>
        <translation>HKEY_LOCAL_MACHINE\%1, Wert „%2“</translation>
    </message>
    <message>
        <source>%1 in %2</source>
        <translation>%1 in %2</translation>
    </message>
    <message>
        <source>The list keeps the newest %L1 entries: older ones were dropped</source>
        <translation>Die Liste behält die neuesten %L1 Einträge: ältere wurden verworfen</translation>
    </message>
    <message>
        <source>The list keeps the newest %L1 MiB of text: older entries were dropped</source>
        <translation>Die Liste behält die neuesten %L1 MiB Text: ältere Einträge wurden verworfen</translation>
    </message>
    <message>
        <source>%L1 of %L2 entries match</source>
        <translation>%L1 von %L2 Einträgen passen</translation>
    </message>
    <message>
        <source>Read again from the start at %1 (the file was truncated)</source>
        <translation>Um %1 erneut von Anfang an gelesen (die Datei wurde gekürzt)</translation>
    </message>
    <message>
        <source>Read again from the start at %1 (the file was replaced)</source>
        <translation>Um %1 erneut von Anfang an gelesen (die Datei wurde ersetzt)</translation>
    </message>
    <message>
        <source>Following %1</source>
        <translation>%1 wird verfolgt</translation>
    </message>
    <message>
        <source>Following %1, last line %2</source>
        <translation>%1 wird verfolgt, letzte Zeile %2</translation>
    </message>
    <message>
        <source>No log folder set for %1 in the server&apos;s settings</source>
        <translation>Kein Protokollordner für %1 in den Einstellungen des Servers</translation>
    </message>
    <message>
        <source>Log folder not found: %1</source>
        <translation>Protokollordner nicht gefunden: %1</translation>
    </message>
    <message>
        <source>Waiting for %1</source>
        <translation>Warten auf %1</translation>
    </message>
    <message>
        <source>Cannot read %1: access denied</source>
        <translation>%1 kann nicht gelesen werden: Zugriff verweigert</translation>
    </message>
    <message>
        <source>%1 is not a file</source>
        <translation>%1 ist keine Datei</translation>
    </message>
    <message>
        <source>Cannot read %1</source>
        <translation>%1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>Paused: %1</source>
        <translation>Angehalten: %1</translation>
    </message>
    <message>
        <source>Reading earlier lines ... %1%</source>
        <translation>Frühere Zeilen werden gelesen ... %1 %</translation>
    </message>
    <message>
        <source>Earlier lines of today listed</source>
        <translation>Frühere Zeilen von heute aufgelistet</translation>
    </message>
    <message>
        <source>No earlier lines of today to list</source>
        <translation>Keine früheren Zeilen von heute vorhanden</translation>
    </message>
    <message>
        <source>Earlier lines stopped: the log started anew</source>
        <translation>Frühere Zeilen abgebrochen: das Protokoll hat neu begonnen</translation>
    </message>
    <message>
        <source>Earlier lines listed as far as the list holds: older ones were left out</source>
        <translation>Frühere Zeilen aufgelistet, soweit die Liste sie fasst: ältere wurden ausgelassen</translation>
    </message>
    <message>
        <source>1 new highlighted entry</source>
        <translation>1 neuer hervorgehobener Eintrag</translation>
    </message>
    <message numerus="yes">
        <source>%Ln new highlighted entries</source>
        <translation>
            <numerusform>%Ln neuer hervorgehobener Eintrag</numerusform>
            <numerusform>%Ln neue hervorgehobene Einträge</numerusform>
        </translation>
    </message>
    <message>
        <source>%1; %2</source>
        <translation>%1; %2</translation>
    </message>
</context>
<context>
    <name>frmActivity</name>
    <message>
        <source>&amp;Clear</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <source>&amp;Pause</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>Quorvane Service Activity</source>
        <translation>Quorvane-Dienstaktivität</translation>
    </message>
    <message>
        <source>Activity</source>
        <translation>Aktivität</translation>
    </message>
    <message>
        <source>&amp;Resume</source>
        <translation>Fo&amp;rtsetzen</translation>
    </message>
    <message>
        <source>%1 (Detail)</source>
        <translation>%1 (Details)</translation>
    </message>
</context>
</TS>
