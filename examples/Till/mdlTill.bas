Attribute VB_Name = "mdlTill"
Option Explicit
'--- shared state of the till ---
Public Basket As clsBasket

Public Sub Main()
    Set Basket = New clsBasket
	
    frmTill.Show
End Sub
