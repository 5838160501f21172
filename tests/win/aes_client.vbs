' clsAES as a script sees it: created by ProgID, called by names in any
' letter case with variables (passed by reference), errors in Err. Quits
' with the number of failed checks.
Option Explicit
Dim failures, aes, fso, stream, text, cipher, folder, plain, encrypted
failures = 0

Sub Check(ok, what)
  If Not ok Then
    failures = failures + 1
    WScript.Echo "FAILED: " & what
  End If
End Sub

Sub CheckError(number, description, what)
  Check Err.Number = number And Err.Description = description And _
        Err.Source = "plgRefertiLirvo.clsAES", _
        what & ": " & Err.Number & " " & Err.Description & " from " & Err.Source
  Err.Clear
End Sub

Set aes = CreateObject("plgRefertiLirvo.clsAES")
text = "Per" & Chr(242) & " " & Chr(232) & " gi" & Chr(224) & " qui"
cipher = aes.encryptSTR(text)
Check Len(cipher) = 44, "a 14-character text fills one block: " & cipher
Check aes.DecryptStr(cipher) = text, "round trip of " & text
Check aes.DecryptStr(aes.EncryptStr(12.5)) = "12,5", "a number becomes its text, with the decimal comma"

Set fso = CreateObject("Scripting.FileSystemObject")
folder = fso.GetSpecialFolder(2).Path
plain = folder & "\aes_client.txt"
encrypted = folder & "\aes_client.enc"
Set stream = fso.CreateTextFile(plain, True)
stream.Write "riga uno" & vbCrLf & "riga due"
stream.Close
Check aes.EncryptFile(plain, encrypted, True), "EncryptFile"
Check Not aes.EncryptFile(plain, encrypted, False), "EncryptFile over a file without Overwrite"
Check aes.DecryptFileStr(encrypted) = "riga uno" & vbCrLf & "riga due", "DecryptFileStr"
fso.DeleteFile plain
fso.DeleteFile encrypted

On Error Resume Next
aes.EncryptStr Null
CheckError 94, "Utilizzo non valido di Null", "Null as text"
aes.EncryptFile "a", "b", "forse"
CheckError 13, "Tipo non corrispondente", "a word as a flag"
aes.Encrypt "x"
Check Err.Number = 438, "an unknown member gives " & Err.Number
Err.Clear
On Error GoTo 0

Set aes = Nothing
' The test looks for this line: cscript quits with 0 when it cannot parse.
WScript.Echo "checks done: " & failures & " failed"
WScript.Quit failures
