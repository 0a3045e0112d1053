<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="de">
<context>
    <name>DriveCore</name>
    <message>
        <source>Für ZYNT %1 wartet eine unterbrochene Übertragung auf eine Entscheidung: bis dahin wird nichts an sie gesendet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>

Es wurde nichts geschrieben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Für ZYNT %1 wartet eine unterbrochene Übertragung auf eine Entscheidung: es wurde nichts geschrieben.

%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>

Das Journal der Übertragung kann nicht geschrieben werden: es wurde nichts geschrieben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Es wartet keine unterbrochene Übertragung auf eine Entscheidung.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Sicherung fehlt oder stimmt nicht mit ihrer Prüfsumme überein: sie wird nicht zurückgeschrieben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Es gibt kein neues Programm, das erneut geschrieben werden kann.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>eine Zeile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Zeilen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeit unbekannt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Übertragen der Parameter an ZYNT %1 wurde nach %2 von %3 Zuweisungen unterbrochen (%4).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bestätigt hat die ZYNT: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Übertragung des Programms an ZYNT %1 wurde bei Zeile %2 von %3 unterbrochen (%4).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die ZYNT hat %1 bestätigt und hält jetzt ein unvollständiges Programm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sicherung: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sobald die ZYNT antwortet, wird angeboten, die Sicherung zurückzuschreiben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fehler beim Übertragen der Parameter in die ZYNT: die ZYNT antwortet nicht.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Schnittstelle ist nicht geöffnet: es wurden keine Parameter in die ZYNT übertragen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Programm in der ZYNT ist länger als 300 Zeilen. Nicht übernommen wurden Zeilen: </source>
        <translation type="unfinished"></translation>
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
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>Close without Saving</source>
        <translation>Schließen ohne zu speichern</translation>
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
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nein</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Anwenden</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignorieren</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Das Programm wurde nicht gelesen: der Editor zeigt, was er vorher zeigte.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fehler beim Lesen des Programms aus der ZYNT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine Verbindung zur ZYNT: &quot;%1&quot; wurde nicht gesendet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Log speichern</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Log gespeichert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine Verbindung zur ZYNT: die Eingabe wurde nicht gesendet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Hilfedatei %1 wurde nicht gefunden.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Hilfedatei %1 konnte nicht geöffnet werden.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trotzdem schließen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Suchen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Parameter werden in die ZYNT geschrieben: %1 von %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Parameter der ZYNT werden zum Vergleich gelesen … %1 %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die ZYNT hat das dauerhafte Speichern der Parameter bestätigt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abgebrochen: es wurde nichts geschrieben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine Zahl: nichts gesendet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Parameter gespeichert in %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Parameterdatei geladen: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Parameter geschrieben, %2 bestätigt. Sicherung: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Parameter geschrieben, nicht geprüft: die Liste kam nicht. Sicherung: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Parameterliste wurde nicht gelesen: das Raster zeigt, was es vorher zeigte.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Schnittstelle ist nicht geöffnet: es wurden keine Parameter in die ZYNT übertragen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine ZYNT verbunden: es wurden keine Parameter übertragen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Parameter der ZYNT werden zum Vergleich gelesen …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Parameterliste der ZYNT konnte nicht gelesen werden: alle Zeilen der Datei sind markiert.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Parameterliste der ZYNT konnte nicht gelesen werden: es wurde nichts geschrieben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nichts angehakt: es wurde nichts geschrieben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Parameter der ZYNT wurden gesichert: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sie hält jetzt %1, weder das bisherige noch das neue Programm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZYNT %1 ist in der Programmeingabe, und keine unterbrochene Übertragung ist verzeichnet. Mit „So lassen“ wird, was sie bis jetzt erhalten hat, ihr Programm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 („%2“)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZYNT %1 hat beim Übertragen des Programms Zeile %2 abgewiesen. Sie hält jetzt %3, weder das bisherige noch das neue Programm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sicherung: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Sicherung fehlt oder stimmt nicht mit ihrer Prüfsumme überein.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sicherung zurückschreiben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Neues Programm erneut schreiben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>So lassen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Was ZYNT %1 jetzt hält, konnte nicht gelesen werden. Die Wahl wird erneut angeboten, sobald sie antwortet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZYNT %1 hält jetzt: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZYNT %1 hält jetzt kein Programm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZYNT %1 hält jetzt wieder das gesicherte Programm (%2).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZYNT %1 hält jetzt das neue Programm (%2).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZYNT %1 hält jetzt ein Programm von %2, das weder das gesicherte noch das neue ist.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Programm in die ZYNT übertragen und zurückgelesen: %1, gleich. Sicherung: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Programm konnte nach dem Übertragen nicht zurückgelesen werden; was die ZYNT hält, wird beim nächsten Kontakt geprüft.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Eine Übertragung läuft: beim Schließen bleibt ein Teil des Programms in der ZYNT.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die ZYNT hat das Programm abgelehnt und behält ihr bisheriges</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Programm übertragen; die ZYNT hat Zeile %1 abgewiesen. Sicherung: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Programm in die ZYNT übertragen. Sicherung: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Programm gespeichert in %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Programmdatei geladen: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Änderungen am Programm im Editor verwerfen?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeile %1 beginnt mit einem Leerzeichen: sie und die Zeilen danach werden nicht übertragen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeile %1 ist leer: die Zeilen danach werden nicht übertragen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Programm der ZYNT wird zur Sicherung gelesen …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Programm der ZYNT konnte nicht zur Sicherung gelesen werden: es wurde nichts geschrieben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Programm im Editor wurde während der Sicherung geändert: es wurde nichts geschrieben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZYNT %1 hält %2 Programmzeilen; nur %3 können gesichert und zurückgeschrieben werden: die Sicherung ist unvollständig. Trotzdem schreiben?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Programm der ZYNT wurde gesichert: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ein Stop hat die ZYNT noch nicht erreicht: nach dem Schließen wird er nicht mehr gesendet, und die Achse kann weiterlaufen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bild speichern</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bild gespeichert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aufzeichnung gespeichert (%1 Zeilen): </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aufzeichnung läuft: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Es wurde nichts geschrieben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 nicht gesendet: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 nicht gesendet: diesen Wert schreibt die Übertragung nie</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 nicht gesendet: die ZYNT listet diesen Parameter nicht</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 nicht gesendet: der Wert der Datei enthält ein Zeichen, das kein Wert hat</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bericht…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine ZYNT verbunden: der Bericht wird aus einer frischen Sicherung der ZYNT gemacht.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die ZYNT wird für den Bericht gesichert …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die ZYNT konnte nicht für den Bericht gelesen werden: es wurde kein Bericht gemacht.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Es wurde kein Bericht gemacht.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Sicherung %1 hält ihrer Prüfung nicht stand: es wurde kein Bericht gemacht.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZYNT Adresse %1 an %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bericht gespeichert: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> – Demo mit simulierter ZYNT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Demo mit simulierter ZYNT</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TForm2</name>
    <message>
        <source>Verlauf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aufzeichnung aus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aufzeichnen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine Verbindung - letzter Stand</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Antrieb AUS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tippbetrieb (nur solange gedrückt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop nicht gesendet - wird gesendet, sobald die ZYNT antwortet</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TOKBottomDlg</name>
    <message>
        <source>Das Programm wurde nicht geschrieben: die ZYNT meldete einen Fehler, bevor die Frage beantwortet war.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TPlotWindow</name>
    <message>
        <source>ZYNT Verlauf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Weiter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Anhalten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ganzer Zeitraum</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Als PNG speichern</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ADC (rechts)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TStatusHistory</name>
    <message>
        <source>Meldungen</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TStatusLine</name>
    <message>
        <source>Meldungen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die letzten Meldungen mit ihrer Zeit</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TTerminalWindow</name>
    <message>
        <source>Zeilenmodus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeitstempel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Statusabfrage ausblenden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Log speichern</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeile, mit Enter senden</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WriteBackDialog</name>
    <message>
        <source>Alle Zeilen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alle ankreuzen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Parameter in ZYNT übertragen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 von %2 Parametern der Datei weichen von der ZYNT ab und sind zum Schreiben angehakt. Grau: Zustand der ZYNT, wird nie geschrieben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bezeichnung</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Beschreibung</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Datei</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Angehakte schreiben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zustand der ZYNT</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WriteBackReport</name>
    <message>
        <source>Parameter in ZYNT übertragen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Parameter geschrieben und bestätigt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 von %2 Parametern hält die ZYNT anders, als sie gesendet wurden:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>gesendet</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>compare</name>
    <message>
        <source>Zustand der ZYNT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ausgang der Maschine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merker der Maschine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Antriebstyp: nur auf ausdrücklichen Wunsch</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>datafiles</name>
    <message>
        <source>%1 und keinem Ordner data oder share/zynt bei %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 und %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mitgelieferte Datei %1 nicht gefunden (gesucht in %2). Das Programm ist unvollständig installiert.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>demo</name>
    <message>
        <source>Die simulierte ZYNT (zynt-sim) wurde weder neben diesem Programm noch im Suchpfad gefunden.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kein Arbeitsordner für die Demo in %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die simulierte ZYNT (%1) startet nicht: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die simulierte ZYNT (%1) hat ihre Leitung nicht angelegt.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>driveheader</name>
    <message>
        <source>Keine Schnittstelle offen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Baud</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>keine Antwort</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adresse %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Latenz %1 ms</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der USB-Adapter hält Antworten bis zu %1 ms zurück: latency_timer per udev-Regel auf 1 setzen (siehe README)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>line</name>
    <message>
        <source>die ZYNT-Suche</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das Lesen der Parameter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das Übertragen der Parameter in die ZYNT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das Lesen des Programms</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das Schreiben des Programms in die ZYNT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>der Master-Betrieb</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das dauerhafte Speichern der Parameter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das Konfigurieren der Schnittstelle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das Beenden einer unterbrochenen Übertragung</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>die Suche nach der ZYNT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das Übertragen der Parameter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das Schreiben des Programms</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das Senden eines geänderten Parameterwerts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine Verbindung zur ZYNT: %1 ist erst wieder möglich, wenn die ZYNT antwortet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 ist jetzt nicht möglich: %2 läuft noch.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>porthint</name>
    <message>
        <source>. Abhilfe: Gruppe &quot;%1&quot; beitreten (sudo adduser $USER %1), neu anmelden.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>. Ein anderes Programm hält die Schnittstelle (zynt-cli, ein zweites Fenster, ein Terminalprogramm).</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>recording</name>
    <message>
        <source>Die Aufzeichnung bleibt in %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>report</name>
    <message>
        <source>Seite %1 von %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prüfsummen stimmen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ungeprüft</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prüfung fehlgeschlagen, nicht aufgenommen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Antrieb Adresse %1 an %2 (Typ %3, Version %4)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Neueste Sicherung</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Erstellt von</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Antriebe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bericht erstellt am</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Antriebe der Maschine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Baudrate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adresse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Antriebstyp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sicherung</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prüfsummen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Antriebe gegenüber der älteren Sicherung</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>hinzugekommen: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>fehlt: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dieselben Antriebe wie in der älteren Sicherung.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>fehlt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Änderungen seit der Sicherung vom %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine Änderungen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bezeichnung</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Beschreibung</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>vorher</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>jetzt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Einheit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zustand der Maschine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeile vorher</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeile jetzt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ordner %1, gesichert am %2, %3 Baud.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hinweis</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 – nie geschrieben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Programm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die ZYNT hielt mehr Zeilen, als die Sicherung fasst: das Programm ist unvollständig.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kein Programm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Programmzeile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>de</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fingerabdruck</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SHA-256 über die Prüfsummen der Sicherungsordner; er hängt nicht vom Titel und vom Datum des Berichts ab:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Erstellt mit ZYNT Programmiersoftware %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
