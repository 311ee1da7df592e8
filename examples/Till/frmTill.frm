VERSION 5.00
Begin VB.Form frmTill
   Caption         =   "Till"
   ClientHeight    =   3195
   ClientWidth     =   4680
   Begin VB.CommandButton cmdPay
      Caption         =   "&Pay"
      Height          =   375
   End
End
Attribute VB_Name = "frmTill"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

' Takes the payment for the basket
Private Sub cmdPay_Click()
	' tab-indented comment
    Dim total As Currency
    total = Basket.Total   ' trailing comment is code
 	 	
    Rem a Rem line is code
    MsgBox "Paid " & total
End Sub

