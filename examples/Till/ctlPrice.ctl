VERSION 5.00
Begin VB.UserControl ctlPrice
   ClientHeight    =   420
   ClientWidth     =   1500
   Begin VB.Label lblPrice
      Caption         =   "0.00"
   End
End
Attribute VB_Name = "ctlPrice"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = True
Attribute VB_PredeclaredId = False
Attribute VB_Exposed = False
Option Explicit

'	Shows a price with two decimals
Public Property Let Value(ByVal v As Currency)
    lblPrice.Caption = Format$(v, "0.00")
End Property