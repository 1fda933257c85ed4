; saved on another computer
[Playlist]
numberofentries=3
file1=D:\mp3\a.mp3
file2=\mp3\b.mp3
file3='c d.mp3'
title3=C D
[other]
file4=x
