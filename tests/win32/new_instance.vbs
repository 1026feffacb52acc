' A control made without a container: the defaults of a new instance, every property set
' and read back (colours as Longs), and error 91 from the methods that need the chart.
' Prints one line per failure and "new_instance.vbs: done, N failures" last; exits with N.
Option Explicit
On Error Resume Next

Dim failures : failures = 0

' Values compare, and so do types.
Sub Check(what, actual, expected)
  Dim sameType : sameType = VarType(actual) = VarType(expected)
  If actual <> expected Or Not sameType Then
    WScript.Echo "FAIL " & what & ": got " & actual & " (type " & VarType(actual) & "), expected " & _
      expected & " (type " & VarType(expected) & ")"
    failures = failures + 1
  End If
End Sub

Sub CheckError(what, expected)
  If Err.Number <> expected Then
    WScript.Echo "FAIL " & what & ": Err.Number " & Err.Number & " (" & Err.Description & "), expected " & expected
    failures = failures + 1
  End If
  Err.Clear
End Sub

Dim c : Set c = CreateObject("KavrinLineChartProj.KavrinLineChart")
CheckError "CreateObject", 0

' Defaults of a new instance (types: 3 Long, 2 Integer, 5 Double, 8 String, 11 Boolean).
Check "ValueLineColor", c.ValueLineColor, 32768
Check "TimeLineColor", c.TimeLineColor, 32768
Check "Title", c.Title, "Kavrin Line Chart"
Check "Zoom", c.Zoom, CDbl(1)
Check "MeasureColor", c.MeasureColor, CLng(192)
Check "TitlePos", c.TitlePos, CInt(3)
Check "TitleColor", c.TitleColor, CLng(0)
Check "MeasurePos", c.MeasurePos, CInt(0)
Check "bValueLineDisp", c.bValueLineDisp, True
Check "bTimeLineDisp", c.bTimeLineDisp, True
Check "BackColor", c.BackColor, 16777215
Check "ChartBackColor", c.ChartBackColor, CLng(0)
Check "BorderWidth", c.BorderWidth, CInt(1)
Check "BorderColor", c.BorderColor, 8421504
Check "ValueSpace", c.ValueSpace, CDbl(10)
Check "Min", c.Min, CDbl(-50)
Check "Max", c.Max, CDbl(50)
Check "MeasureWidth", c.MeasureWidth, CInt(3)
Check "Unit", c.Unit, ""
Check "Dist", c.Dist, "20,20,20,30"
' The default description, as this system's font objects report it (the face a name
' stands for may differ from the name).
Dim def : Set def = CreateObject("StdFont")
def.Name = "MS Sans Serif" : def.Size = 8.25
Sub CheckFont(what, f)
  Check what & ".Name", f.Name, def.Name
  Check what & ".Size", CDbl(f.Size), CDbl(8.25)
  Check what & ".Bold", f.Bold, False
End Sub
CheckFont "MeasureFont", c.MeasureFont
CheckFont "TitleFont", c.TitleFont
CheckFont "CutLineFont", c.CutLineFont
CheckFont "UnitFont", c.UnitFont
Check "each font property has its own object", c.TitleFont Is c.UnitFont, False
CheckError "reading the defaults", 0

' Every property set and read back; names in any case.
c.valuelinecolor = 255 : Check "ValueLineColor", c.ValueLineColor, CLng(255)
c.TIMELINECOLOR = 65280 : Check "TimeLineColor", c.TimeLineColor, 65280
c.Title = "Pressure" : Check "Title", c.Title, "Pressure"
c.Zoom = 1.5 : Check "Zoom", c.Zoom, 1.5
c.MeasureColor = 128 : Check "MeasureColor", c.MeasureColor, CLng(128)
c.TitlePos = 2 : Check "TitlePos", c.TitlePos, CInt(2)
c.TitlePos = 4 : Check "TitlePos 4 ignored", c.TitlePos, CInt(2)
c.TitlePos = -1 : Check "TitlePos -1 ignored", c.TitlePos, CInt(2)
c.TitleColor = 16711680 : Check "TitleColor", c.TitleColor, 16711680
c.TitleColor = &H8000000F : Check "TitleColor, a system colour", c.TitleColor, &H8000000F
c.TitleColor = -1 : Check "TitleColor -1", c.TitleColor, CLng(-1)
Dim same : same = c.BorderColor = 8421504 : CheckError "a colour compared with a number", 0
Check "the colour equals the number", same, True
c.MeasurePos = 2 : Check "MeasurePos", c.MeasurePos, CInt(2)
c.MeasurePos = 3 : Check "MeasurePos 3 ignored", c.MeasurePos, CInt(2)
c.bValueLineDisp = False : Check "bValueLineDisp", c.bValueLineDisp, False
c.bTimeLineDisp = False : Check "bTimeLineDisp", c.bTimeLineDisp, False
c.BackColor = 255 : CheckError "BackColor repaints at once: no chart yet", 91
Check "BackColor", c.BackColor, CLng(255)
c.ChartBackColor = 2105376 : Check "ChartBackColor", c.ChartBackColor, 2105376
c.BorderWidth = 3 : Check "BorderWidth", c.BorderWidth, CInt(3)
c.BorderColor = 4210752 : Check "BorderColor", c.BorderColor, 4210752
c.ValueSpace = 0.25 : Check "ValueSpace", c.ValueSpace, 0.25
c.Min = -7.5 : Check "Min", c.Min, -7.5
c.Max = 1E+300 : Check "Max", c.Max, 1E+300
c.MeasureWidth = 6 : Check "MeasureWidth", c.MeasureWidth, CInt(6)
c.Unit = "mV" : Check "Unit", c.Unit, "mV"
c.Dist = " 1,2,3,4 " : Check "Dist", c.Dist, " 1,2,3,4 "
c.Dist = "   " : Check "blank Dist ignored", c.Dist, " 1,2,3,4 "
CheckError "setting the properties", 0

' Fonts are the host's objects, kept by reference.
Dim host : Set host = CreateObject("StdFont")
host.Name = "Arial" : host.Size = 12
Set c.TitleFont = host
host.Bold = True
Check "TitleFont is the host's object", c.TitleFont Is host, True
Check "TitleFont.Bold follows the host", c.TitleFont.Bold, True
CheckError "font objects", 0
' Nothing is kept; a read with an argument is refused instead of reaching the font.
Set c.CutLineFont = Nothing
Check "CutLineFont set to Nothing", c.CutLineFont Is Nothing, True
CheckError "Nothing as a font", 0
Dim x : x = c.CutLineFont(1) : CheckError "a font read with an argument", 450
x = c.Title(1) : CheckError "a text read with an argument", 450

' Values that do not fit the property's type.
c.TitlePos = 40000 : CheckError "TitlePos 40000", 6
c.Zoom = "abc" : CheckError "Zoom text", 13

' Nothing is configured yet: the methods that need the chart raise 91.
c.Movie : CheckError "Movie", 91
c.SetValue (1), (2.5) : CheckError "SetValue", 91
c.AddLine "Line1", 255 : CheckError "AddLine", 91
c.ExportData True : CheckError "ExportData", 91

Set c = Nothing
WScript.Echo "new_instance.vbs: done, " & failures & " failures"
WScript.Quit failures
