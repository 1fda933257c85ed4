[playlist]
NumberOfEntries=2
File1=http://radio.example/stream
Title1=Example radio
Length1=-1
File2=lessons\001.mp3
Version=2
