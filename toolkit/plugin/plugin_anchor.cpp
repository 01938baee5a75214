// Anchors the plug-in's shared object; the entry points live in toolkit/startup.
