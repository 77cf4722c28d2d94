@echo off
rem Installer of a downloaded Velora release: installs the product archives that the download-only
rem workflow put into the "archives" folder beside this script.
if "%VELORA_INSTALLER%"=="" set VELORA_INSTALLER=velora-installer.exe
"%VELORA_INSTALLER%" --workflow "Interactive Install From Folder" --packages-root "%~dp0archives" %*
