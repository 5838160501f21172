' A small Clinora in VBScript: the host objects the plug-in calls by name
' (HostApp, Framework, ribbon, child windows, archive, charts, XML object),
' driving plgRefertiLirvo.Plugin through Evento as the host does: start-up,
' the main form's load (the ribbon), the plug-in's tab (the main window),
' "Storico" (the bundle chooser, answered by window_answerer), "Importa",
' the unread summary, the configuration dialog and "fine".
'   cscript clinora.vbs PATIENTS SAVES PLUGIN_FOLDER
' Written for Wine's VBScript too: one name per Public statement, and a
' collection's items through Item (a default member with arguments is not
' reached through a property). Wine's cscript prints no runtime error, so
' a script that stops early says so by the missing last line.
' PATIENTS: one patient a line, "id<TAB>cognome<TAB>nome<TAB>nato<TAB>cf<TAB>tessera".
' SAVES: written with one line per chart save. The last line says how many
' checks failed: cscript exits with 0 on a syntax error.
Option Explicit

Dim failures : failures = 0
Dim saves

Sub Check(ok, what)
  If Not ok Then
    failures = failures + 1
    WScript.Echo "FAILED: " & what
  End If
End Sub

' ---- Ribbon --------------------------------------------------------------------

Class RibbonControl
  Public Id
  Public Caption
  Public Tooltip
  Public Enabled
  Public Visible
  Private Sub Class_Initialize()
    Enabled = True
    Visible = True
  End Sub
End Class

Class RibbonGroup
  Public Caption
End Class

Class GroupList
  Public Items
  Private Sub Class_Initialize()
    Set Items = CreateObject("Scripting.Dictionary")
  End Sub
  Public Function AddGroup(caption, style)
    Dim group : Set group = New RibbonGroup
    group.Caption = caption
    Items.Add Items.Count, group
    Set AddGroup = group
  End Function
End Class

Class RibbonTab
  Public Caption
  Public Groups
  Private Sub Class_Initialize()
    Set Groups = New GroupList
  End Sub
End Class

' ---- Child windows ----------------------------------------------------------------

Class ChildForm
  Public Caption
  Public Icon
  Public Form
  Public Shown
  Public Sub Show()
    Shown = True
  End Sub
End Class

Class HostForm
  Public Name
End Class

' ---- Framework ---------------------------------------------------------------------

Class Framework
  Public Tabs
  Public Controls
  Public Children
  Public Bitmaps
  Public NextId
  Private Sub Class_Initialize()
    Set Tabs = CreateObject("Scripting.Dictionary")
    Set Controls = CreateObject("Scripting.Dictionary")
    Set Children = CreateObject("Scripting.Dictionary")
    Set Bitmaps = CreateObject("Scripting.Dictionary")
    NextId = 1000
  End Sub

  Public Function GetNewID()
    NextId = NextId + 1
    GetNewID = NextId
  End Function
  Public Function InsertRibbonTab(caption)
    Dim t : Set t = New RibbonTab
    t.Caption = caption
    Tabs.Add caption, t
    Set InsertRibbonTab = t
  End Function
  Public Function InsertTabGroup(t, caption)
    Set InsertTabGroup = t.Groups.AddGroup(caption, 1)
  End Function
  Public Function InsertGroupControl(group, id)
    Set InsertGroupControl = NewControl(id, "", "")
  End Function
  Public Function InsertGroupButton(group, caption, id, style, flag, tooltip)
    Set InsertGroupButton = NewControl(id, caption, tooltip)
  End Function
  Private Function NewControl(id, caption, tooltip)
    Dim c : Set c = New RibbonControl
    c.Id = id
    c.Caption = caption
    c.Tooltip = tooltip
    Controls.Add id, c
    Set NewControl = c
  End Function
  Public Function AddFileBitmap(path, id)
    Bitmaps.Item(id) = path
  End Function
  Public Function FindRibbonControl(id)
    If Controls.Exists(id) Then
      Set FindRibbonControl = Controls.Item(id)
    Else
      Set FindRibbonControl = Nothing
    End If
  End Function
  Public Sub SetMainRibbonTab()
  End Sub
  Public Function OpenChild(name, modal, unused, caption)
    OpenChild = Children.Exists(caption)
  End Function
  Public Function CreateChildForm(form)
    Dim child : Set child = New ChildForm
    Set child.Form = form
    Children.Add Children.Count, child
    Set CreateChildForm = child
  End Function
  Public Sub RichiamaPaziente(id)
  End Sub
  Public Function Popup(items)
    Popup = 0
  End Function

  ' The control whose tooltip is `tooltip` (captions repeat: two "Ultima").
  Public Function ControlByTooltip(tooltip)
    Dim key
    Set ControlByTooltip = Nothing
    For Each key In Controls.Keys
      If Controls.Item(key).Tooltip = tooltip Then Set ControlByTooltip = Controls.Item(key)
    Next
  End Function
End Class

' ---- Archive and charts -------------------------------------------------------------

Class ChartItem
  Public Data
  Public idrif1
  Public idrif4
  Public t1
End Class

Class ExamReports
  Public Owner
  Public Items
  Private Sub Class_Initialize()
    Set Items = CreateObject("Scripting.Dictionary")
  End Sub
  Public Function Lista()
    Lista = Items.Items
  End Function
  Public Sub ClearEsamiAutomatici()
  End Sub
  Public Sub SalvaEsamiAutomatici()
  End Sub
  Public Function Salva(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, _
                        a16, a17, a18, a19, a20, a21, a22, a23, a24, a25, a26)
    Dim item : Set item = New ChartItem
    item.Data = a3 : item.idrif1 = a5 : item.idrif4 = a24 : item.t1 = a8
    Items.Add Items.Count, item
    saves.WriteLine "exam" & vbTab & Owner & vbTab & a3 & vbTab & a24 & vbTab & a6 & vbTab & a8
    Salva = True
  End Function
End Class

Class VisitReports
  Public Owner
  Public Items
  Private Sub Class_Initialize()
    Set Items = CreateObject("Scripting.Dictionary")
  End Sub
  Public Function Lista()
    Lista = Items.Items
  End Function
  Public Function Salva(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15)
    Dim item : Set item = New ChartItem
    item.Data = a5 : item.idrif4 = a14
    Items.Add Items.Count, item
    saves.WriteLine "visit" & vbTab & Owner & vbTab & a5 & vbTab & Trim(a14) & vbTab & a4
    Salva = True
  End Function
End Class

Class Patient
  Public ID
  Public Cognome
  Public Nome
  Public DataNascita
  Public CodiceFiscale
  Public Tessera
  Public RefertiEsami
  Public RefertiVisite
  Public Sub Init(fields)
    ID = CLng(fields(0)) : Cognome = fields(1) : Nome = fields(2)
    DataNascita = fields(3) : CodiceFiscale = fields(4) : Tessera = fields(5)
    Set RefertiEsami = New ExamReports
    RefertiEsami.Owner = ID
    Set RefertiVisite = New VisitReports
    RefertiVisite.Owner = ID
  End Sub
End Class

Class PatientList
  Public ByCode
  Private Sub Class_Initialize()
    Set ByCode = CreateObject("Scripting.Dictionary")
    ByCode.CompareMode = vbTextCompare
  End Sub
  ' A regional code is the card number or the fiscal code.
  Public Function DaiPazienteRegionale(code, regional)
    If ByCode.Exists(code) Then
      Set DaiPazienteRegionale = ByCode.Item(code)
    Else
      Set DaiPazienteRegionale = Nothing
    End If
  End Function
End Class

Class Archive
  Public Pazienti
  Private Sub Class_Initialize()
    Set Pazienti = New PatientList
  End Sub
End Class

' ---- XML object ---------------------------------------------------------------------

Class XmlObject
  Private document
  Private Sub Class_Initialize()
    ' WScript.CreateObject: Wine's VBScript CreateObject cannot give an
    ' object that wants a site, as the XML document does.
    Set document = WScript.CreateObject("Msxml2.DOMDocument.3.0")
    document.async = False
    document.setProperty "SelectionLanguage", "XPath"
  End Sub
  Public Function LoadFileXML(path)
    ' By value: Wine's XML document does not read a variable passed by
    ' reference.
    LoadFileXML = document.Load(CStr(path))
  End Function
  Public Function RootNode()
    Set RootNode = document.documentElement
  End Function
  Public Function SelectNodeList(node, path)
    Set SelectNodeList = node.selectNodes(CStr(path))
  End Function
  Public Function getAttribute(node, name)
    getAttribute = node.getAttribute(CStr(name))
  End Function
  Public Sub SaveFile(path)
    document.Save CStr(path)
  End Sub
End Class

Class HostApp
  Public Framework
  Public Archivio
  Private Sub Class_Initialize()
    Set Framework = New Framework
    Set Archivio = New Archive
  End Sub
  Public Function NewXML()
    Set NewXML = New XmlObject
  End Function
End Class

' ---- The session -----------------------------------------------------------------------

Dim fso, host, plugin, line, fields, p, main, child, storico, importa, exams, visits, key

Set fso = CreateObject("Scripting.FileSystemObject")
Set host = New HostApp
With fso.OpenTextFile(WScript.Arguments(0))
  Do Until .AtEndOfStream
    line = .ReadLine
    If Len(line) > 0 Then
      fields = Split(line, vbTab)
      Set p = New Patient
      p.Init fields
      If Len(p.Tessera) > 0 Then host.Archivio.Pazienti.ByCode.Add p.Tessera, p
      If Len(p.CodiceFiscale) > 0 Then host.Archivio.Pazienti.ByCode.Add p.CodiceFiscale, p
    End If
  Loop
  .Close
End With
Set saves = fso.CreateTextFile(WScript.Arguments(1), True)

Set plugin = CreateObject("plgRefertiLirvo.Plugin")
plugin.Evento "registrazione", host, Array(0)

Set main = New HostForm
main.Name = "frmMain"
plugin.evento "Form.Load", host, Array(main)
Check host.Framework.Tabs.Exists("Referti Lirvo"), "the plug-in's ribbon tab"
Set storico = host.Framework.ControlByTooltip("Controllo storico referti scaricati")
Set importa = host.Framework.ControlByTooltip("Importa i referti in elenco")
Check Not storico Is Nothing, "the Storico button"
Check Not importa Is Nothing, "the Importa button"
If storico Is Nothing Or importa Is Nothing Then
  WScript.Echo "checks done: " & failures & " failed"
  WScript.Quit 1
End If
Check storico.Caption = "Storico" And importa.Caption = "Importa", "button captions"
Check Not importa.Enabled, "Importa is disabled while no bundle is loaded"
Check host.Framework.Bitmaps.Count = 9, "nine icons, found " & host.Framework.Bitmaps.Count

' The other public classes work over the host the plug-in was given.
Dim config, table, item, clnId, clnDescription, n
Set config = CreateObject("plgRefertiLirvo.clsConfig")
Check config.Init(WScript.Arguments(2) & "\Config.xml"), "clsConfig.Init: " & config.LastError
Check config.ProductName = "Clinora - Referti Lirvo", "ProductName: " & config.ProductName
Check Right(config.DocumentsFolder, 10) = "documents\", "DocumentsFolder: " & config.DocumentsFolder
n = 0
For Each item In config.ListaServices
  n = n + 1
Next
Check n = 9 And config.ListaServices.Count = 9, "nine commands, For Each gave " & n
Check config.ListaServices.Item("REFERTILIRVO.REFERTI.IMPORTA").Key = "RefertiLirvo.referti.importa", _
      "a command by its key in any letter case"
Check config.KeyService(config.IDService("RefertiLirvo.referti.storico")) = _
      "RefertiLirvo.referti.storico", "a key through its identifier and back"
Set table = CreateObject("plgRefertiLirvo.clsTrascodifica")
Check table.AllineamentoClinora("90.09.2", clnId, clnDescription) And clnId = "GOT" And _
      clnDescription = "Transaminasi GOT", "a code transcoded: " & clnId & " " & clnDescription
Check Not table.AllineamentoClinora("00.00.0", clnId, clnDescription) And clnId = "" And _
      clnDescription = "", "an unknown code clears both answers"
Check table.DescrizioneEsame("90.09.2") <> "" And table.DescrizioneEsame("00.00.0") = "", _
      "the authority's description"
Check table.Lista.Count > 0 And table.Lista.Item(1).codice <> "" And _
      table.Lista.Item("90.09.2").clnID = "GOT", "the table's entries by position and by code"
table.Refresh
Set item = CreateObject("plgRefertiLirvo.clsItemTrascodifica")
item.codice = "A1" : item.clnID = "B2"
Check item.codice = "A1" And item.clnID = "B2" And item.descrizione = "", "an entry's properties"

plugin.Evento "mainribbonbar.activetab", host, Array("Referti Lirvo")
Check host.Framework.Children.Count = 1, "one child window for the main window"
If host.Framework.Children.Count = 1 Then
  Set child = host.Framework.Children.Item(0)
  Check child.Form.Name = "frmRefertiLirvo", "the child window carries frmRefertiLirvo"
  Check child.Caption = "Referti Lirvo" And child.Shown, "the child window is captioned and shown"
  Check child.Form.hWnd <> 0, "the form has a window for the child window to carry"
End If

' The chooser opens; window_answerer picks the bundle.
plugin.Evento "execute", host, Array(storico.Id)
Check importa.Enabled, "Importa is enabled once a bundle is loaded"

' The import; window_answerer declines to print the list.
plugin.Evento "execute", host, Array(importa.Id)
exams = 0 : visits = 0
For Each key In host.Archivio.Pazienti.ByCode.Keys
  Set p = host.Archivio.Pazienti.ByCode.Item(key)
  If key = p.Tessera Then
    exams = exams + p.RefertiEsami.Items.Count
    visits = visits + p.RefertiVisite.Items.Count
  End If
Next
WScript.Echo "saved: " & exams & " exam values, " & visits & " visit reports"
Check exams + visits > 0, "the import saved into the charts"
Check Not importa.Enabled, "Importa is disabled once the bundle is imported"

' The unread summary in the detail window, then the configuration dialog;
' window_answerer reads and closes both.
Dim unread, setup
Set unread = host.Framework.ControlByTooltip("Verifica ultima elaborazione")
Set setup = host.Framework.ControlByTooltip("Configurazione della procedura")
Check unread.Visible, "the unread summary's button shows after the import"
plugin.Evento "execute", host, Array(unread.Id)
plugin.Evento "execute", host, Array(setup.Id)

plugin.Evento "fine", host, Array(0)
saves.Close
WScript.Echo "checks done: " & failures & " failed"
WScript.Quit failures
