Attribute VB_Name = "mdlText"
' Text helpers
		' indented by tabs

  
Public Function Pad(ByVal s As String, ByVal n As Integer) As String
    Pad = Left$(s & Space$(n), n)
End Function
