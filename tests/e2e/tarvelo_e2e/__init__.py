"""Helpers of the end-to-end tests that no library gives.

wine     Windows programs, tarvelo-probe calls on windows and message boxes,
         the registry through `wine reg`, CD-ROM drives; wait_until
desktop  pointer and keys through xdotool, Wine's notification area and
         popup menus, screenshots and pixels
skin     the skin picture as the screen must show it
app      the program under test: its names, its start-up, Programs (the
         `programs` fixture) and the clean-up after a test
packages the packages made with the build's CPack configuration, the Wine
         user's folders, shortcut targets and file versions
"""
