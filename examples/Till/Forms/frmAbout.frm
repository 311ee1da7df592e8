VERSION 5.00
Begin VB.Form frmAbout
   Caption         =   "Über Till"
End
Attribute VB_Name = "frmAbout"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit
' Café edition

Private Sub Form_Click()
    Unload Me
End Sub
