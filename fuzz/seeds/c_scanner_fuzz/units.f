C     MAIN
      PROGRAM MAIN
      X = 1
      END
	SUBROUTINE S(A)
      PRINT *, 'END' ! end
      END
