# The main window TDirForm and the program itself (Qt).
