@echo off
rem Runs Wareseek's test programs one after another on this PC (Windows 7 to
rem 11, 32- or 64-bit), from the folder this file is in, with the same
rem GoogleTest filters as the project's CTest entries.
rem   run-tests.cmd          every test
rem   run-tests.cmd /quick   leaves out the two long runs (the 60-second
rem                          download deadline and thousands of DLL loads);
rem                          the project's own check under Wine uses it
rem The runner first undoes what an earlier, killed run left, then prints the
rem Windows version, bitness, elevation and antivirus, runs each program with
rem a time limit, writes everything to a results file and ends with the line
rem "N passed, N failed, N skipped"; the exit code is 1 when anything failed.
rem Everything is quoted: the folder's path may hold & ^ % or spaces.
setlocal EnableExtensions DisableDelayedExpansion
"%~dp0tests-bin\wareseek_test_runner.exe" %*
exit /b %errorlevel%
