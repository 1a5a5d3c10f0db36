# stub to fill
