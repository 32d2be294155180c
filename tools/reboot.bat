@echo off
rem Sample reboot.bat for OrvaneScheduledRestart.
rem
rem The restart program starts this file, from its own folder, when a "/Reboot"
rem run has shut the product down and its second countdown has run out. The
rem program never reboots the machine itself: this file decides how.
rem
rem Review it before use. As shipped it restarts the machine after 60 seconds,
rem with a planned-maintenance reason, so that an administrator at the console
rem can still run "shutdown /a" to abort.

shutdown /r /t 60 /d p:4:1 /c "Scheduled Orvane restart"
