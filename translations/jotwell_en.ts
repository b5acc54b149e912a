<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>CAboutBox</name>
    <message>
        <source>About Jotwell</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Jotwell Version 1.11</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CExportCommand</name>
    <message>
        <source>The notes could not be exported to &quot;%1&quot;.
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>These notes could not be read and were exported empty: %1</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Export</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CFindDialog</name>
    <message>
        <source>The specified text was not found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find &amp; Replace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fi&amp;nd what:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;place with:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Match &amp;whole word only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Match &amp;case</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Find Next</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find and Replace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please specify what to search for.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The specified text was found and replaced one time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>The specified text was found and replaced %n times.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CHelpWindow</name>
    <message>
        <source>Jotwell Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type a keyword</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Index</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Words to find</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The help pages could not be found in %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No page holds &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CIndexView</name>
    <message>
        <source>Notes</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CJotwellApp</name>
    <message>
        <source>Welcome to Jotwell!
Before you can start using the program you have to select a folder for your notes.
An empty folder in &quot;Documents&quot; or equivalent is recommended.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You have not chosen a folder for your notes.
Just restart the program if you want to do it at a later time.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>CAP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NUM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Standard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Styles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>More Tools</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CNoteScrollView</name>
    <message>
        <source>The clipboard&apos;s content is too large to be pasted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (Ctrl+click to open)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(No Suggestions)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add to Dictionary</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The word could not be saved in the personal word list; it is accepted until Jotwell ends.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The notes could not be printed: the printer could not be opened.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The notes could not be printed to &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Note text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Laying out the notes: %1%</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CRecoveredNotesDialog</name>
    <message>
        <source>Recovered Notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>These notes could not be saved when Jotwell last ended. Choose the ones to bring back into the tree.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot be read as a note</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Bring Back</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CSearchPane</name>
    <message>
        <source>Find in All Notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text to find in every note</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Match &amp;case</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Match &amp;whole word only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 note</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1 notes</source>
        <extracomment>Two notes or more; %1 is the number with its digits grouped (&quot;12,345&quot;)</extracomment>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Indexing notes: %1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text to find</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear the text to find</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notes found</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CSpelling</name>
    <message>
        <source>No dictionary is installed: install one (the package hunspell-en-us, for example) to check spelling</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CTrayIcon</name>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New Note</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Commands</name>
    <message>
        <source>&amp;Normal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Make the paragraphs normal text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Header &amp;1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toggle Header 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Header &amp;2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toggle Header 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Header &amp;3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toggle Header 3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Unchecked List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toggle the unchecked list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Checked List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toggle the checked list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Positive List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toggle the positive list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ne&amp;gative List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toggle the negative list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Fixed Width</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toggle fixed-width text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Strong</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toggle strong text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Highlight</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toggle highlighted text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Co&amp;mment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toggle comment text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;New Note</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add a note after the current one</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New &amp;Subnote</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add a note under the current one</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Rename</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rename the current note</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete the selected notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set Notes &amp;Folder...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the folder that holds the notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>F&amp;ind in All Notes...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search the text of every note</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save the selected notes as HTML, Markdown or PDF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rec&amp;overed Notes...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bring back notes that could not be saved when Jotwell last ended</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide the window in the tray; Jotwell keeps running</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save everything and end Jotwell</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bring the window back from the tray</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bring the window back and add a note</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ne&amp;xt Pane</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move the keyboard focus to the next pane</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pre&amp;vious Pane</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move the keyboard focus to the previous pane</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo the last change</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Redo the change last undone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cut the selection to the clipboard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy the selection to the clipboard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy Te&amp;xt Only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy the selection to the clipboard as plain text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Insert the clipboard&apos;s content</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select all the notes shown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Find...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find text in the notes shown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find &amp;Next</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find the next place of the text searched for</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find and R&amp;eplace...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find text and replace it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print the notes shown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print &amp;Directly</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print the notes shown without asking</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print Pre&amp;view</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the pages as they will be printed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S&amp;tandard Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show or hide the standard toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>St&amp;yle Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show or hide the style toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show or hide the status bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check S&amp;pelling</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Underline misspelt words</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Spelling &amp;Language</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the language whose spelling is checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lar&amp;gest</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the text at its largest size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Larger</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the text larger</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Medium</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the text at its usual size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Smaller</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the text smaller</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sm&amp;allest</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the text at its smallest size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Indent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Indent the paragraphs one level</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Outdent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Outdent the paragraphs one level</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help Contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open the help at its contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help &amp;Index</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open the help at its index</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help &amp;Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search the help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About Jotwell</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the program&apos;s version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Note</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Text Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Styles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ExportWriter</name>
    <message>
        <source>There are no notes to export.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No temporary file could be made for the PDF.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The PDF could not be made.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The bookmarks could not be added to the PDF.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; could not be written.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PathCheck</name>
    <message>
        <source>The folder:

%1

does not exist. Do you want the folder to be created?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder:

%1

is invalid. Please reenter.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder:

%1

can not be created. Please double check.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Status</name>
    <message>
        <source>For Help, press F1</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Size: %1 characters - Created: %2 - Modified: %3</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
</TS>
