<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>DriveCore</name>
    <message>
        <source>Für ZYNT %1 wartet eine unterbrochene Übertragung auf eine Entscheidung: bis dahin wird nichts an sie gesendet.</source>
        <translation>A cut write to ZYNT %1 waits for a decision: until then nothing is sent to it.</translation>
    </message>
    <message>
        <source>

Es wurde nichts geschrieben.</source>
        <translation>

Nothing was written.</translation>
    </message>
    <message>
        <source>Für ZYNT %1 wartet eine unterbrochene Übertragung auf eine Entscheidung: es wurde nichts geschrieben.

%2</source>
        <translation>A cut write to ZYNT %1 waits for a decision: nothing was written.

%2</translation>
    </message>
    <message>
        <source>

Das Journal der Übertragung kann nicht geschrieben werden: es wurde nichts geschrieben.</source>
        <translation>

The write&apos;s journal cannot be written: nothing was written.</translation>
    </message>
    <message>
        <source>Es wartet keine unterbrochene Übertragung auf eine Entscheidung.</source>
        <translation>No cut write waits for a decision.</translation>
    </message>
    <message>
        <source>Die Sicherung fehlt oder stimmt nicht mit ihrer Prüfsumme überein: sie wird nicht zurückgeschrieben.</source>
        <translation>The backup is missing or does not match its checksum: it is not written back.</translation>
    </message>
    <message>
        <source>Es gibt kein neues Programm, das erneut geschrieben werden kann.</source>
        <translation>There is no new program that could be written again.</translation>
    </message>
    <message>
        <source>eine Zeile</source>
        <translation>one line</translation>
    </message>
    <message>
        <source>%1 Zeilen</source>
        <translation>%1 lines</translation>
    </message>
    <message>
        <source>Zeit unbekannt</source>
        <translation>time unknown</translation>
    </message>
    <message>
        <source>Das Übertragen der Parameter an ZYNT %1 wurde nach %2 von %3 Zuweisungen unterbrochen (%4).</source>
        <translation>Writing the parameters to ZYNT %1 was cut after %2 of %3 assignments (%4).</translation>
    </message>
    <message>
        <source>Bestätigt hat die ZYNT: %1.</source>
        <translation>The ZYNT confirmed: %1.</translation>
    </message>
    <message>
        <source>Die Übertragung des Programms an ZYNT %1 wurde bei Zeile %2 von %3 unterbrochen (%4).</source>
        <translation>Writing the program to ZYNT %1 was cut at line %2 of %3 (%4).</translation>
    </message>
    <message>
        <source>Die ZYNT hat %1 bestätigt und hält jetzt ein unvollständiges Programm.</source>
        <translation>The ZYNT confirmed %1 and now holds an incomplete program.</translation>
    </message>
    <message>
        <source>Sicherung: %1</source>
        <translation>Backup: %1</translation>
    </message>
    <message>
        <source>Sobald die ZYNT antwortet, wird angeboten, die Sicherung zurückzuschreiben.</source>
        <translation>As soon as the ZYNT answers, writing the backup back is offered.</translation>
    </message>
    <message>
        <source>Fehler beim Übertragen der Parameter in die ZYNT: die ZYNT antwortet nicht.</source>
        <translation>Error writing the parameters to the ZYNT: the ZYNT does not answer.</translation>
    </message>
    <message>
        <source>Die Schnittstelle ist nicht geöffnet: es wurden keine Parameter in die ZYNT übertragen.</source>
        <translation>The serial port is not open: no parameters were written to the ZYNT.</translation>
    </message>
    <message>
        <source>Das Programm in der ZYNT ist länger als 300 Zeilen. Nicht übernommen wurden Zeilen: </source>
        <translation>The program in the ZYNT is longer than 300 lines. Lines not taken over: </translation>
    </message>
</context>
<context>
    <name>QGnomeTheme</name>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>Close without Saving</source>
        <translation>Close without Saving</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>Abort</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignore</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Help</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Das Programm wurde nicht gelesen: der Editor zeigt, was er vorher zeigte.</source>
        <translation>The program was not read: the editor shows what it showed before.</translation>
    </message>
    <message>
        <source>Fehler beim Lesen des Programms aus der ZYNT</source>
        <translation>Error reading the program from the ZYNT</translation>
    </message>
    <message>
        <source>Keine Verbindung zur ZYNT: &quot;%1&quot; wurde nicht gesendet.</source>
        <translation>No connection to the ZYNT: &quot;%1&quot; was not sent.</translation>
    </message>
    <message>
        <source>Log speichern</source>
        <translation>Save log</translation>
    </message>
    <message>
        <source>Log gespeichert</source>
        <translation>Log saved</translation>
    </message>
    <message>
        <source>Keine Verbindung zur ZYNT: die Eingabe wurde nicht gesendet.</source>
        <translation>No connection to the ZYNT: the input was not sent.</translation>
    </message>
    <message>
        <source>Die Hilfedatei %1 wurde nicht gefunden.</source>
        <translation>The help file %1 was not found.</translation>
    </message>
    <message>
        <source>Die Hilfedatei %1 konnte nicht geöffnet werden.</source>
        <translation>The help file %1 could not be opened.</translation>
    </message>
    <message>
        <source>Warten</source>
        <translation>Wait</translation>
    </message>
    <message>
        <source>Trotzdem schließen</source>
        <translation>Close anyway</translation>
    </message>
    <message>
        <source>Suchen</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Parameter werden in die ZYNT geschrieben: %1 von %2</source>
        <translation>Writing parameters to the ZYNT: %1 of %2</translation>
    </message>
    <message>
        <source>Die Parameter der ZYNT werden zum Vergleich gelesen … %1 %</source>
        <translation>Reading the ZYNT&apos;s parameters to compare … %1 %</translation>
    </message>
    <message>
        <source>Die ZYNT hat das dauerhafte Speichern der Parameter bestätigt.</source>
        <translation>The ZYNT confirmed saving the parameters permanently.</translation>
    </message>
    <message>
        <source>Abgebrochen: es wurde nichts geschrieben.</source>
        <translation>Cancelled: nothing was written.</translation>
    </message>
    <message>
        <source>Keine Zahl: nichts gesendet</source>
        <translation>Not a number: nothing sent</translation>
    </message>
    <message>
        <source>Parameter gespeichert in %1</source>
        <translation>Parameters saved to %1</translation>
    </message>
    <message>
        <source>Parameterdatei geladen: %1</source>
        <translation>Parameter file loaded: %1</translation>
    </message>
    <message>
        <source>%1 Parameter geschrieben, %2 bestätigt. Sicherung: %3</source>
        <translation>%1 parameters written, %2 confirmed. Backup: %3</translation>
    </message>
    <message>
        <source>%1 Parameter geschrieben, nicht geprüft: die Liste kam nicht. Sicherung: %2</source>
        <translation>%1 parameters written, not checked: the list did not come. Backup: %2</translation>
    </message>
    <message>
        <source>Die Parameterliste wurde nicht gelesen: das Raster zeigt, was es vorher zeigte.</source>
        <translation>The parameter list was not read: the grid shows what it showed before.</translation>
    </message>
    <message>
        <source>Die Schnittstelle ist nicht geöffnet: es wurden keine Parameter in die ZYNT übertragen.</source>
        <translation>The serial port is not open: no parameters were written to the ZYNT.</translation>
    </message>
    <message>
        <source>Keine ZYNT verbunden: es wurden keine Parameter übertragen.</source>
        <translation>No ZYNT connected: no parameters were written.</translation>
    </message>
    <message>
        <source>Die Parameter der ZYNT werden zum Vergleich gelesen …</source>
        <translation>Reading the ZYNT&apos;s parameters to compare …</translation>
    </message>
    <message>
        <source>Die Parameterliste der ZYNT konnte nicht gelesen werden: alle Zeilen der Datei sind markiert.</source>
        <translation>The ZYNT&apos;s parameter list could not be read: all rows of the file are marked.</translation>
    </message>
    <message>
        <source>Die Parameterliste der ZYNT konnte nicht gelesen werden: es wurde nichts geschrieben.</source>
        <translation>The ZYNT&apos;s parameter list could not be read: nothing was written.</translation>
    </message>
    <message>
        <source>Nichts angehakt: es wurde nichts geschrieben.</source>
        <translation>Nothing ticked: nothing was written.</translation>
    </message>
    <message>
        <source>Die Parameter der ZYNT wurden gesichert: %1</source>
        <translation>The ZYNT&apos;s parameters were saved to %1</translation>
    </message>
    <message>
        <source>Sie hält jetzt %1, weder das bisherige noch das neue Programm.</source>
        <translation>It now holds %1, neither the previous nor the new program.</translation>
    </message>
    <message>
        <source>ZYNT %1 ist in der Programmeingabe, und keine unterbrochene Übertragung ist verzeichnet. Mit „So lassen“ wird, was sie bis jetzt erhalten hat, ihr Programm.</source>
        <translation>ZYNT %1 is in program entry, and no cut write is on record. With “Leave as it is”, what it has received so far becomes its program.</translation>
    </message>
    <message>
        <source>%1 („%2“)</source>
        <translation>%1 (“%2”)</translation>
    </message>
    <message>
        <source>ZYNT %1 hat beim Übertragen des Programms Zeile %2 abgewiesen. Sie hält jetzt %3, weder das bisherige noch das neue Programm.</source>
        <translation>ZYNT %1 refused line %2 while the program was written. It now holds %3, neither the previous nor the new program.</translation>
    </message>
    <message>
        <source>Sicherung: %1</source>
        <translation>Backup: %1</translation>
    </message>
    <message>
        <source>Die Sicherung fehlt oder stimmt nicht mit ihrer Prüfsumme überein.</source>
        <translation>The backup is missing or does not match its checksum.</translation>
    </message>
    <message>
        <source>Sicherung zurückschreiben</source>
        <translation>Write the backup back</translation>
    </message>
    <message>
        <source>Neues Programm erneut schreiben</source>
        <translation>Write the new program again</translation>
    </message>
    <message>
        <source>So lassen</source>
        <translation>Leave as it is</translation>
    </message>
    <message>
        <source>Was ZYNT %1 jetzt hält, konnte nicht gelesen werden. Die Wahl wird erneut angeboten, sobald sie antwortet.</source>
        <translation>What ZYNT %1 holds now could not be read. The choice is offered again as soon as it answers.</translation>
    </message>
    <message>
        <source>ZYNT %1 hält jetzt: %2.</source>
        <translation>ZYNT %1 now holds: %2.</translation>
    </message>
    <message>
        <source>ZYNT %1 hält jetzt kein Programm.</source>
        <translation>ZYNT %1 now holds no program.</translation>
    </message>
    <message>
        <source>ZYNT %1 hält jetzt wieder das gesicherte Programm (%2).</source>
        <translation>ZYNT %1 holds the backed-up program again (%2).</translation>
    </message>
    <message>
        <source>ZYNT %1 hält jetzt das neue Programm (%2).</source>
        <translation>ZYNT %1 now holds the new program (%2).</translation>
    </message>
    <message>
        <source>ZYNT %1 hält jetzt ein Programm von %2, das weder das gesicherte noch das neue ist.</source>
        <translation>ZYNT %1 now holds a program of %2 that is neither the backed-up nor the new one.</translation>
    </message>
    <message>
        <source>Programm in die ZYNT übertragen und zurückgelesen: %1, gleich. Sicherung: %2</source>
        <translation>Program written to the ZYNT and read back: %1, equal. Backup: %2</translation>
    </message>
    <message>
        <source>Das Programm konnte nach dem Übertragen nicht zurückgelesen werden; was die ZYNT hält, wird beim nächsten Kontakt geprüft.</source>
        <translation>The program could not be read back after the write; what the ZYNT holds is checked at the next contact.</translation>
    </message>
    <message>
        <source>Eine Übertragung läuft: beim Schließen bleibt ein Teil des Programms in der ZYNT.</source>
        <translation>A write is under way: closing leaves part of the program in the ZYNT.</translation>
    </message>
    <message>
        <source>Die ZYNT hat das Programm abgelehnt und behält ihr bisheriges</source>
        <translation>The ZYNT refused the program and keeps the one it had</translation>
    </message>
    <message>
        <source>Programm übertragen; die ZYNT hat Zeile %1 abgewiesen. Sicherung: %2</source>
        <translation>Program written; the ZYNT refused line %1. Backup: %2</translation>
    </message>
    <message>
        <source>Programm in die ZYNT übertragen. Sicherung: %1</source>
        <translation>Program written to the ZYNT. Backup: %1</translation>
    </message>
    <message>
        <source>Programm gespeichert in %1</source>
        <translation>Program saved to %1</translation>
    </message>
    <message>
        <source>Programmdatei geladen: %1</source>
        <translation>Program file loaded: %1</translation>
    </message>
    <message>
        <source>Die Änderungen am Programm im Editor verwerfen?</source>
        <translation>Discard the changes to the program in the editor?</translation>
    </message>
    <message>
        <source>Zeile %1 beginnt mit einem Leerzeichen: sie und die Zeilen danach werden nicht übertragen</source>
        <translation>Line %1 begins with a blank: it and the lines after it are not written.</translation>
    </message>
    <message>
        <source>Zeile %1 ist leer: die Zeilen danach werden nicht übertragen</source>
        <translation>Line %1 is empty: the lines after it are not written.</translation>
    </message>
    <message>
        <source>Das Programm der ZYNT wird zur Sicherung gelesen …</source>
        <translation>Reading the ZYNT&apos;s program to save it …</translation>
    </message>
    <message>
        <source>Das Programm der ZYNT konnte nicht zur Sicherung gelesen werden: es wurde nichts geschrieben.</source>
        <translation>The ZYNT&apos;s program could not be read to save it: nothing was written.</translation>
    </message>
    <message>
        <source>Das Programm im Editor wurde während der Sicherung geändert: es wurde nichts geschrieben.</source>
        <translation>The program in the editor changed while the backup was read: nothing was written.</translation>
    </message>
    <message>
        <source>ZYNT %1 hält %2 Programmzeilen; nur %3 können gesichert und zurückgeschrieben werden: die Sicherung ist unvollständig. Trotzdem schreiben?</source>
        <translation>ZYNT %1 holds %2 program lines; only %3 can be backed up and written back: the backup is incomplete. Write anyway?</translation>
    </message>
    <message>
        <source>Das Programm der ZYNT wurde gesichert: %1</source>
        <translation>The ZYNT&apos;s program was saved to %1</translation>
    </message>
    <message>
        <source>Ein Stop hat die ZYNT noch nicht erreicht: nach dem Schließen wird er nicht mehr gesendet, und die Achse kann weiterlaufen.</source>
        <translation>A Stop has not reached the ZYNT yet: after closing it is no longer sent, and the axis may run on.</translation>
    </message>
    <message>
        <source>Bild speichern</source>
        <translation>Save picture</translation>
    </message>
    <message>
        <source>Bild gespeichert</source>
        <translation>Picture saved</translation>
    </message>
    <message>
        <source>Aufzeichnung gespeichert (%1 Zeilen): </source>
        <translation>Recording saved (%1 rows): </translation>
    </message>
    <message>
        <source>Aufzeichnung läuft: </source>
        <translation>Recording: </translation>
    </message>
    <message>
        <source>Es wurde nichts geschrieben.</source>
        <translation>Nothing was written.</translation>
    </message>
    <message>
        <source>%1 nicht gesendet: %2</source>
        <translation>%1 not sent: %2</translation>
    </message>
    <message>
        <source>%1 nicht gesendet: diesen Wert schreibt die Übertragung nie</source>
        <translation>%1 not sent: the write-back never writes this value</translation>
    </message>
    <message>
        <source>%1 nicht gesendet: die ZYNT listet diesen Parameter nicht</source>
        <translation>%1 not sent: the ZYNT does not list this parameter</translation>
    </message>
    <message>
        <source>%1 nicht gesendet: der Wert der Datei enthält ein Zeichen, das kein Wert hat</source>
        <translation>%1 not sent: the file&apos;s value holds a character no value has</translation>
    </message>
    <message>
        <source>Bericht…</source>
        <translation>Report…</translation>
    </message>
    <message>
        <source>Keine ZYNT verbunden: der Bericht wird aus einer frischen Sicherung der ZYNT gemacht.</source>
        <translation>No ZYNT connected: the report is made from a fresh backup of the ZYNT.</translation>
    </message>
    <message>
        <source>Die ZYNT wird für den Bericht gesichert …</source>
        <translation>Backing up the ZYNT for the report …</translation>
    </message>
    <message>
        <source>Die ZYNT konnte nicht für den Bericht gelesen werden: es wurde kein Bericht gemacht.</source>
        <translation>The ZYNT could not be read for the report: no report was made.</translation>
    </message>
    <message>
        <source>Es wurde kein Bericht gemacht.</source>
        <translation>No report was made.</translation>
    </message>
    <message>
        <source>Die Sicherung %1 hält ihrer Prüfung nicht stand: es wurde kein Bericht gemacht.</source>
        <translation>The backup %1 does not pass its check: no report was made.</translation>
    </message>
    <message>
        <source>ZYNT Adresse %1 an %2</source>
        <translation>ZYNT address %1 on %2</translation>
    </message>
    <message>
        <source>Bericht gespeichert: %1</source>
        <translation>Report saved: %1</translation>
    </message>
    <message>
        <source> – Demo mit simulierter ZYNT</source>
        <translation> – demo with a simulated ZYNT</translation>
    </message>
    <message>
        <source>Demo mit simulierter ZYNT</source>
        <translation>demo with a simulated ZYNT</translation>
    </message>
</context>
<context>
    <name>TForm2</name>
    <message>
        <source>Verlauf</source>
        <translation>Plot</translation>
    </message>
    <message>
        <source>Aufzeichnung aus</source>
        <translation>Stop recording</translation>
    </message>
    <message>
        <source>Aufzeichnen</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>Keine Verbindung - letzter Stand</source>
        <translation>Link lost - last values shown</translation>
    </message>
    <message>
        <source>Antrieb AUS</source>
        <translation>Drive OFF</translation>
    </message>
    <message>
        <source>Tippbetrieb (nur solange gedrückt)</source>
        <translation>Jog (only while pressed)</translation>
    </message>
    <message>
        <source>Stop nicht gesendet - wird gesendet, sobald die ZYNT antwortet</source>
        <translation>Stop not sent - it is sent as soon as the ZYNT answers</translation>
    </message>
</context>
<context>
    <name>TOKBottomDlg</name>
    <message>
        <source>Das Programm wurde nicht geschrieben: die ZYNT meldete einen Fehler, bevor die Frage beantwortet war.</source>
        <translation>The program was not written: the ZYNT reported an error before the question was answered.</translation>
    </message>
</context>
<context>
    <name>TPlotWindow</name>
    <message>
        <source>ZYNT Verlauf</source>
        <translation>ZYNT live plot</translation>
    </message>
    <message>
        <source>Weiter</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>Anhalten</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Ganzer Zeitraum</source>
        <translation>Whole span</translation>
    </message>
    <message>
        <source>Als PNG speichern</source>
        <translation>Save as PNG</translation>
    </message>
    <message>
        <source>ADC (rechts)</source>
        <translation>ADC (right)</translation>
    </message>
</context>
<context>
    <name>TStatusHistory</name>
    <message>
        <source>Meldungen</source>
        <translation>Messages</translation>
    </message>
</context>
<context>
    <name>TStatusLine</name>
    <message>
        <source>Meldungen</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>Die letzten Meldungen mit ihrer Zeit</source>
        <translation>The last messages with their times</translation>
    </message>
</context>
<context>
    <name>TTerminalWindow</name>
    <message>
        <source>Zeilenmodus</source>
        <translation>Line mode</translation>
    </message>
    <message>
        <source>Zeitstempel</source>
        <translation>Timestamps</translation>
    </message>
    <message>
        <source>Statusabfrage ausblenden</source>
        <translation>Hide status poll</translation>
    </message>
    <message>
        <source>Log speichern</source>
        <translation>Save log</translation>
    </message>
    <message>
        <source>Zeile, mit Enter senden</source>
        <translation>Line, sent with Enter</translation>
    </message>
</context>
<context>
    <name>WriteBackDialog</name>
    <message>
        <source>Alle Zeilen</source>
        <translation>All rows</translation>
    </message>
    <message>
        <source>Alle ankreuzen</source>
        <translation>Tick all</translation>
    </message>
    <message>
        <source>Keine</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Parameter in ZYNT übertragen</source>
        <translation>Write parameters to the ZYNT</translation>
    </message>
    <message>
        <source>%1 von %2 Parametern der Datei weichen von der ZYNT ab und sind zum Schreiben angehakt. Grau: Zustand der ZYNT, wird nie geschrieben.</source>
        <translation>%1 of the file&apos;s %2 parameters differ from the ZYNT and are ticked to be written. Grey: the ZYNT&apos;s state, never written.</translation>
    </message>
    <message>
        <source>Bezeichnung</source>
        <translation>Designation</translation>
    </message>
    <message>
        <source>Beschreibung</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Datei</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Angehakte schreiben</source>
        <translation>Write ticked</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Zustand der ZYNT</source>
        <translation>the ZYNT&apos;s state</translation>
    </message>
</context>
<context>
    <name>WriteBackReport</name>
    <message>
        <source>Parameter in ZYNT übertragen</source>
        <translation>Write parameters to the ZYNT</translation>
    </message>
    <message>
        <source>%1 Parameter geschrieben und bestätigt</source>
        <translation>%1 parameters written and confirmed</translation>
    </message>
    <message>
        <source>%1 von %2 Parametern hält die ZYNT anders, als sie gesendet wurden:</source>
        <translation>The ZYNT holds %1 of %2 parameters otherwise than sent:</translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>gesendet</source>
        <translation>sent</translation>
    </message>
</context>
<context>
    <name>compare</name>
    <message>
        <source>Zustand der ZYNT</source>
        <translation>the ZYNT&apos;s state</translation>
    </message>
    <message>
        <source>Ausgang der Maschine</source>
        <translation>an output of the machine</translation>
    </message>
    <message>
        <source>Merker der Maschine</source>
        <translation>a flag of the machine</translation>
    </message>
    <message>
        <source>Antriebstyp: nur auf ausdrücklichen Wunsch</source>
        <translation>the drive type: only when asked for</translation>
    </message>
</context>
<context>
    <name>datafiles</name>
    <message>
        <source>%1 und keinem Ordner data oder share/zynt bei %2</source>
        <translation>%1 and no folder data or share/zynt at %2</translation>
    </message>
    <message>
        <source>%1 und %2</source>
        <translation>%1 and %2</translation>
    </message>
    <message>
        <source>Mitgelieferte Datei %1 nicht gefunden (gesucht in %2). Das Programm ist unvollständig installiert.</source>
        <translation>Shipped file %1 not found (looked for in %2). The program is not completely installed.</translation>
    </message>
</context>
<context>
    <name>demo</name>
    <message>
        <source>Die simulierte ZYNT (zynt-sim) wurde weder neben diesem Programm noch im Suchpfad gefunden.</source>
        <translation>The simulated ZYNT (zynt-sim) was found neither beside this program nor on the search path.</translation>
    </message>
    <message>
        <source>Kein Arbeitsordner für die Demo in %1: %2</source>
        <translation>No working folder for the demo in %1: %2</translation>
    </message>
    <message>
        <source>Die simulierte ZYNT (%1) startet nicht: %2</source>
        <translation>The simulated ZYNT (%1) does not start: %2</translation>
    </message>
    <message>
        <source>Die simulierte ZYNT (%1) hat ihre Leitung nicht angelegt.</source>
        <translation>The simulated ZYNT (%1) did not make its line.</translation>
    </message>
</context>
<context>
    <name>driveheader</name>
    <message>
        <source>Keine Schnittstelle offen</source>
        <translation>No port open</translation>
    </message>
    <message>
        <source>%1 Baud</source>
        <translation>%1 baud</translation>
    </message>
    <message>
        <source>keine Antwort</source>
        <translation>no answer</translation>
    </message>
    <message>
        <source>Adresse %1</source>
        <translation>address %1</translation>
    </message>
    <message>
        <source>Latenz %1 ms</source>
        <translation>latency %1 ms</translation>
    </message>
    <message>
        <source>Der USB-Adapter hält Antworten bis zu %1 ms zurück: latency_timer per udev-Regel auf 1 setzen (siehe README)</source>
        <translation>The USB adapter holds answers back for up to %1 ms: set latency_timer to 1 with a udev rule (see README)</translation>
    </message>
</context>
<context>
    <name>line</name>
    <message>
        <source>die ZYNT-Suche</source>
        <translation>the drive search</translation>
    </message>
    <message>
        <source>das Lesen der Parameter</source>
        <translation>reading the parameters</translation>
    </message>
    <message>
        <source>das Übertragen der Parameter in die ZYNT</source>
        <translation>writing the parameters to the ZYNT</translation>
    </message>
    <message>
        <source>das Lesen des Programms</source>
        <translation>reading the program</translation>
    </message>
    <message>
        <source>das Schreiben des Programms in die ZYNT</source>
        <translation>writing the program to the ZYNT</translation>
    </message>
    <message>
        <source>der Master-Betrieb</source>
        <translation>master mode</translation>
    </message>
    <message>
        <source>das dauerhafte Speichern der Parameter</source>
        <translation>saving the parameters permanently</translation>
    </message>
    <message>
        <source>das Konfigurieren der Schnittstelle</source>
        <translation>configuring the interface</translation>
    </message>
    <message>
        <source>das Beenden einer unterbrochenen Übertragung</source>
        <translation>ending a cut write</translation>
    </message>
    <message>
        <source>die Suche nach der ZYNT</source>
        <translation>the search for the ZYNT</translation>
    </message>
    <message>
        <source>das Übertragen der Parameter</source>
        <translation>writing the parameters</translation>
    </message>
    <message>
        <source>das Schreiben des Programms</source>
        <translation>writing the program</translation>
    </message>
    <message>
        <source>das Senden eines geänderten Parameterwerts</source>
        <translation>sending a changed parameter value</translation>
    </message>
    <message>
        <source>Keine Verbindung zur ZYNT: %1 ist erst wieder möglich, wenn die ZYNT antwortet.</source>
        <translation>No connection to the ZYNT: %1 is possible again once the ZYNT answers.</translation>
    </message>
    <message>
        <source>%1 ist jetzt nicht möglich: %2 läuft noch.</source>
        <translation>%1 is not possible now: %2 is still under way.</translation>
    </message>
</context>
<context>
    <name>porthint</name>
    <message>
        <source>. Abhilfe: Gruppe &quot;%1&quot; beitreten (sudo adduser $USER %1), neu anmelden.</source>
        <translation>. To fix it, join the group &quot;%1&quot; (sudo adduser $USER %1) and log in again.</translation>
    </message>
    <message>
        <source>. Ein anderes Programm hält die Schnittstelle (zynt-cli, ein zweites Fenster, ein Terminalprogramm).</source>
        <translation>. Another program holds the port (zynt-cli, a second window, a terminal program).</translation>
    </message>
</context>
<context>
    <name>recording</name>
    <message>
        <source>Die Aufzeichnung bleibt in %1.</source>
        <translation>The recording stays in %1.</translation>
    </message>
</context>
<context>
    <name>report</name>
    <message>
        <source>Seite %1 von %2</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>Prüfsummen stimmen</source>
        <translation>Checksums hold</translation>
    </message>
    <message>
        <source>ungeprüft</source>
        <translation>unchecked</translation>
    </message>
    <message>
        <source>Prüfung fehlgeschlagen, nicht aufgenommen</source>
        <translation>check failed, left out</translation>
    </message>
    <message>
        <source>Antrieb Adresse %1 an %2 (Typ %3, Version %4)</source>
        <translation>Drive address %1 on %2 (type %3, version %4)</translation>
    </message>
    <message>
        <source>Neueste Sicherung</source>
        <translation>Newest backup</translation>
    </message>
    <message>
        <source>Erstellt von</source>
        <translation>Made by</translation>
    </message>
    <message>
        <source>Antriebe</source>
        <translation>Drives</translation>
    </message>
    <message>
        <source>Bericht erstellt am</source>
        <translation>Report made on</translation>
    </message>
    <message>
        <source>Antriebe der Maschine</source>
        <translation>Drives of the machine</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Baudrate</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>Adresse</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Antriebstyp</source>
        <translation>Drive type</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>Sicherung</source>
        <translation>Backup</translation>
    </message>
    <message>
        <source>Prüfsummen</source>
        <translation>Checksums</translation>
    </message>
    <message>
        <source>Antriebe gegenüber der älteren Sicherung</source>
        <translation>Drives against the older backup</translation>
    </message>
    <message>
        <source>hinzugekommen: %1</source>
        <translation>added: %1</translation>
    </message>
    <message>
        <source>fehlt: %1</source>
        <translation>missing: %1</translation>
    </message>
    <message>
        <source>Dieselben Antriebe wie in der älteren Sicherung.</source>
        <translation>The same drives as in the older backup.</translation>
    </message>
    <message>
        <source>fehlt</source>
        <translation>missing</translation>
    </message>
    <message>
        <source>Änderungen seit der Sicherung vom %1</source>
        <translation>Changes since the backup of %1</translation>
    </message>
    <message>
        <source>Keine Änderungen.</source>
        <translation>No changes.</translation>
    </message>
    <message>
        <source>Bezeichnung</source>
        <translation>Designation</translation>
    </message>
    <message>
        <source>Beschreibung</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>vorher</source>
        <translation>before</translation>
    </message>
    <message>
        <source>jetzt</source>
        <translation>now</translation>
    </message>
    <message>
        <source>Einheit</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>Zustand der Maschine</source>
        <translation>machine state</translation>
    </message>
    <message>
        <source>Zeile vorher</source>
        <translation>Line before</translation>
    </message>
    <message>
        <source>Zeile jetzt</source>
        <translation>Line now</translation>
    </message>
    <message>
        <source>Ordner %1, gesichert am %2, %3 Baud.</source>
        <translation>Folder %1, backed up on %2, %3 baud.</translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>Wert</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Hinweis</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>%1 – nie geschrieben</source>
        <translation>%1 – never written</translation>
    </message>
    <message>
        <source>Programm</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>Die ZYNT hielt mehr Zeilen, als die Sicherung fasst: das Programm ist unvollständig.</source>
        <translation>The ZYNT held more lines than the backup keeps: the program is incomplete.</translation>
    </message>
    <message>
        <source>Kein Programm.</source>
        <translation>No program.</translation>
    </message>
    <message>
        <source>Zeile</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>Programmzeile</source>
        <translation>Program line</translation>
    </message>
    <message>
        <source>de</source>
        <translation>en</translation>
    </message>
    <message>
        <source>Fingerabdruck</source>
        <translation>Fingerprint</translation>
    </message>
    <message>
        <source>SHA-256 über die Prüfsummen der Sicherungsordner; er hängt nicht vom Titel und vom Datum des Berichts ab:</source>
        <translation>SHA-256 over the checksums of the backup folders; it does not depend on the report&apos;s title or date:</translation>
    </message>
    <message>
        <source>Erstellt mit ZYNT Programmiersoftware %1.</source>
        <translation>Made with ZYNT Programmiersoftware %1.</translation>
    </message>
</context>
</TS>
